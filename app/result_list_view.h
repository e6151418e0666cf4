#pragma once
// The result list's view: a virtual report list, several rows selectable, whole-row
// selection, read-only. Typed characters go to the program's type-ahead instead of Qt's own
// keyboard search; Enter is the list's own (it opens the focused file) and never reaches the
// window's default button.

#include <QTableView>

namespace quillory::app {

class ResultListView : public QTableView {
    Q_OBJECT
  public:
    explicit ResultListView(QWidget* parent = nullptr);

    void keyboardSearch(const QString& search) override;

  Q_SIGNALS:
    void characterTyped(char32_t character);
    void executeRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace quillory::app
