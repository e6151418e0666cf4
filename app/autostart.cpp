#include "app/autostart.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include "app/config_paths.h"
#include "platform/error.h"

namespace quillory::app {
namespace {

QString AutostartFolder() {
    return ConfigHome() + QStringLiteral("/autostart");
}

// The escapes every string value of a desktop entry takes.
QString EscapeValue(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '\\':
                out += QLatin1String("\\\\");
                break;
            case '\n':
                out += QLatin1String("\\n");
                break;
            case '\r':
                out += QLatin1String("\\r");
                break;
            case '\t':
                out += QLatin1String("\\t");
                break;
            default:
                out += c;
        }
    }
    return out;
}

void CheckName(const QString& name) {
    // The name becomes a file name inside the autostart folder and nothing else.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") ||
        name == QLatin1String("..") || name.contains(QChar(0))) {
        throw Error("Invalid start-up entry name '" + name.toStdString() + "'");
    }
}

}  // namespace

QString AutostartEntryPath(const QString& name) {
    return AutostartFolder() + QLatin1Char('/') + name + QStringLiteral(".desktop");
}

QString QuoteExecArgument(const QString& programPath) {
    // First the Exec quoting, then the string-value escapes over the quoted result: a
    // backslash in the path thus ends up as four in the file.
    QString quoted = QStringLiteral("\"");
    for (const QChar c : programPath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            quoted += QLatin1Char('\\');
        }
        quoted += c;
    }
    quoted += QLatin1Char('"');
    // A lone % would start a field code.
    return EscapeValue(quoted).replace(QLatin1Char('%'), QLatin1String("%%"));
}

QString AutostartEntryText(const QString& name, const QString& programPath) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=%1\n"
               "Exec=%2\n"
               "Terminal=false\n"
               "X-GNOME-Autostart-enabled=true\n")
        .arg(EscapeValue(name), QuoteExecArgument(programPath));
}

void SetRunAtStartup(const QString& name, const QString& programPath, bool runOnce, bool remove) {
    CheckName(name);
    if (runOnce) throw Error("A start-up entry that runs only once is not available on this system");
    const QString path = AutostartEntryPath(name);
    if (remove) {
        QFile::remove(path);
        return;
    }
    const QString folder = AutostartFolder();
    if (!QDir().mkpath(folder)) throw Error("Failed to create key " + folder.toStdString());
    QSaveFile file(path);
    const QByteArray bytes = AutostartEntryText(name, programPath).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw Error("Failed to set data for '" + path.toStdString() + "'");
    }
}

}  // namespace quillory::app
