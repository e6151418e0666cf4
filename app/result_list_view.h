#pragma once
// The result list's view: a virtual report list, several rows selectable, whole-row
// selection, read-only. Typed characters go to the program's type-ahead instead of Qt's own
// keyboard search; Enter is the list's own (it opens the focused file) and never reaches the
// window's default button. A move with a button held over selected rows drags their files
// out of the list (see GestureState for when).

#include <QTableView>
#include <functional>
#include <string>
#include <vector>

#include "actions/drag_gesture.h"
#include "app/drop_file_source.h"

namespace quillory::app {

class ResultListView : public QTableView {
    Q_OBJECT
  public:
    explicit ResultListView(QWidget* parent = nullptr);

    void keyboardSearch(const QString& search) override;

    // The full paths of the selected rows in list order, asked for when a drag starts.
    void SetDragFiles(std::function<std::vector<std::string>()> files) { dragFiles_ = std::move(files); }
    // True while files are being dragged out of the list.
    bool Dragging() const { return dragging_; }
    TDropFileSource& DropSource() { return dropSource_; }
    // The state of the current mouse gesture; the context menu asks it whether it may open.
    GestureState& Gesture() { return gesture_; }

  Q_SIGNALS:
    void characterTyped(char32_t character);
    void executeRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // The list's own item drag is never used: files leave the list only through DropSource.
    void startDrag(Qt::DropActions) override {}

  private:
    std::function<std::vector<std::string>()> dragFiles_;
    bool dragging_ = false;
    TDropFileSource dropSource_;
    GestureState gesture_;
};

}  // namespace quillory::app
