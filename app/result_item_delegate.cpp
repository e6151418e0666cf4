#include "app/result_item_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QTextLayout>

#include "results/result_columns.h"

namespace quillory::app {

ResultItemDelegate::ResultItemDelegate(MarkSource marks, QObject* parent)
    : QStyledItemDelegate(parent), marks_(std::move(marks)) {}

void ResultItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    // A folder's both ends tell most: where it lies and what it is.
    if (index.column() == static_cast<int>(ResultColumn::Folder)) option->textElideMode = Qt::ElideMiddle;
}

void ResultItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const Marks marks = MarksOf(index);
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    const QWidget* widget = cell.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    const QRect textArea = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QString text = cell.text;
    // An elided text no longer holds the marked positions: it is drawn as it is.
    if (marks.empty() || cell.fontMetrics.horizontalAdvance(text) > textArea.width() - 2 * margin) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // Everything but the text as usual, then the text over its marks.
    cell.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    QColor markColour = cell.palette.color(QPalette::Highlight);
    markColour.setAlpha(80);
    QList<QTextLayout::FormatRange> formats;
    for (const auto& [start, length] : marks) {
        QTextLayout::FormatRange range;
        range.start = start;
        range.length = length;
        range.format.setBackground(markColour);
        formats.append(range);
    }
    QTextLayout layout(text, cell.font);
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(textArea.width());
    layout.endLayout();
    painter->save();
    const bool selected = cell.state & QStyle::State_Selected;
    painter->setPen(cell.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    layout.draw(painter,
                QPointF(textArea.left() + margin, textArea.top() + (textArea.height() - line.height()) / 2));
    painter->restore();
}

}  // namespace quillory::app
