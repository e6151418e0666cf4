#pragma once
// The lines of a multi-line text box as byte strings, and back. The box shows one line per
// list line; an empty line in the box stays an empty line here (the tidying rules see it).

#include <QPlainTextEdit>
#include <string>
#include <vector>

namespace quillory::app {

inline std::vector<std::string> BoxLines(const QPlainTextEdit& box) {
    std::vector<std::string> lines;
    const QString text = box.toPlainText();
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) lines.push_back(line.toUtf8().toStdString());
    return lines;
}

inline void SetBoxLines(QPlainTextEdit& box, const std::vector<std::string>& lines) {
    QStringList texts;
    for (const std::string& line : lines) {
        texts << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
    const QString text = texts.join(QLatin1Char('\n'));
    // Rewriting an unchanged text would only lose the cursor position and the undo steps.
    if (box.toPlainText() != text) box.setPlainText(text);
}

}  // namespace quillory::app
