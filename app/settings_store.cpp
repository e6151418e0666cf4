#include "app/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSettings>
#include <algorithm>

#include "app/autostart.h"
#include "app/config_paths.h"
#include "platform/error.h"

namespace quillory::app {
namespace {

// QSettings keeps the values outside any group in a file section called [General] (and
// would write a group called "General" as [%General]); in the registry General is an
// ordinary subkey.
#ifdef Q_OS_WIN
const QString kGeneral = QStringLiteral("General");
#else
const QString kGeneral;
#endif
const QString kOptions = QStringLiteral("Options");
const QString kView = QStringLiteral("View");

QString ColumnKey(int column) {
    return QStringLiteral("Column width %1").arg(column);
}

// One section open for the lifetime of the object.
class Section {
  public:
    Section(QSettings& settings, const QString& name) : settings_(settings), open_(!name.isEmpty()) {
        if (open_) settings_.beginGroup(name);
    }
    ~Section() {
        if (open_) settings_.endGroup();
    }
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;

  private:
    QSettings& settings_;
    bool open_;
};

// The text of a value; a hand-written value with an unquoted comma comes back as a list.
QString ReadString(const QSettings& settings, const QString& key) {
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

// Byte strings of the engine; text that is not UTF-8 is kept as bytes so that it survives.
std::string ReadBytes(const QSettings& settings, const QString& key) {
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QByteArray) return value.toByteArray().toStdString();
    return ReadString(settings, key).toStdString();
}

void WriteBytes(QSettings& settings, const QString& key, const std::string& bytes) {
    const QByteArray raw = QByteArray::fromStdString(bytes);
    const QString text = QString::fromUtf8(raw);
    if (text.toUtf8() == raw) {
        settings.setValue(key, text);
    } else {
        settings.setValue(key, raw);
    }
}

// The integer rule: a decimal number, otherwise the default.
int ReadInteger(const QSettings& settings, const QString& key, int defaultValue) {
    bool ok = false;
    const int value = ReadString(settings, key).toInt(&ok);
    return ok ? value : defaultValue;
}

bool ReadBoolean(const QSettings& settings, const QString& key, bool defaultValue) {
    return ReadInteger(settings, key, defaultValue ? 1 : 0) != 0;
}

void WriteInteger(QSettings& settings, const QString& key, int value) {
    settings.setValue(key, QString::number(value));
}

void WriteBoolean(QSettings& settings, const QString& key, bool value) {
    settings.setValue(key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

uint16_t LowBits(int value) {
    return static_cast<uint16_t>(static_cast<unsigned>(value) & 0xFFFFu);
}

// Splits at CR LF, CR or LF; a final line break ends the last item rather than starting an
// empty one, and an empty text is an empty list.
QStringList SplitHistory(const QString& text) {
    if (text.isEmpty()) return {};
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList items = text.split(lineBreak);
    if (items.size() > 1 && items.back().isEmpty()) items.pop_back();
    return items;
}

QString JoinHistory(const QStringList& items) {
    QString text;
    for (const QString& item : items) text += item + QStringLiteral("\r\n");
    return text;
}

}  // namespace

AutostartHook SystemAutostart() {
    return &SetRunAtStartup;
}

QString SettingsFilePath() {
    return ConfigHome() + QStringLiteral("/Marlowen/Quillory.conf");
}

QString LoadSettings(DesktopSettings& settings, ProgramSettings& options, const AutostartHook& autostart) {
    QString autostartError;
    // A fresh object each time: QSettings would otherwise answer from an earlier file.
    QSettings s(SettingsFilePath(), QSettings::NativeFormat);
    {
        Section general(s, kGeneral);
        settings.history = SplitHistory(ReadString(s, QStringLiteral("Names")));
        settings.caseSensitive = ReadBoolean(s, QStringLiteral("Case sensitive"), false);
        settings.wholeWords = ReadBoolean(s, QStringLiteral("Whole words"), false);
        settings.findFolders = ReadBoolean(s, QStringLiteral("Find folders"), true);
        settings.findFiles = ReadBoolean(s, QStringLiteral("Find files"), true);
        settings.fullPath = ReadBoolean(s, QStringLiteral("Full path"), false);
    }
    {
        Section section(s, kOptions);
        options.RescanOnStartup = ReadBoolean(s, QStringLiteral("RescanOnStartup"), true);
        options.MinimizeOnStartup = ReadBoolean(s, QStringLiteral("MinimizeOnStartup"), false);
        options.StartWindowsStarts = ReadBoolean(s, QStringLiteral("StartWindowsStarts"), true);
        try {
            if (autostart) {
                autostart(QStringLiteral("Quillory"), QCoreApplication::applicationFilePath(), false,
                          !options.StartWindowsStarts);
            }
        } catch (const std::exception& error) {
            // The entry is outside the settings: the values after it are read all the same,
            // so the end of the program never saves defaults over the user's values.
            autostartError = QString::fromUtf8(error.what());
        }
        options.PowerSearchFile = ReadBytes(s, QStringLiteral("PowerSearchFile"));
        settings.databaseFile = ReadBytes(s, QStringLiteral("DBFileName"));
        options.MaxResultsCount = ReadInteger(s, QStringLiteral("MaxResultsCount"), kDefaultMaxResultsCount);
        options.HotKeys[1] = LowBits(ReadInteger(s, QStringLiteral("HotKeyID1"), 0));
        options.HotKeys[2] = LowBits(ReadInteger(s, QStringLiteral("HotKeyID2"), 0));
        options.SearchAsYouType = ReadBoolean(s, QStringLiteral("SearchAsYouType"), true);
        options.LiveUpdates = ReadBoolean(s, QStringLiteral("LiveUpdates"), true);
    }
    {
        Section section(s, kView);
        // Only a View section with at least one value switches to stored positioning.
        if (s.childKeys().isEmpty()) return autostartError;
        ViewGeometry& view = settings.view;
        view.stored = true;
        view.width = std::max(ReadInteger(s, QStringLiteral("Width"), 640), kMinimumWindowWidth);
        view.height = std::max(ReadInteger(s, QStringLiteral("Height"), 450), kMinimumWindowHeight);
        view.left = ReadInteger(s, QStringLiteral("Left"), 10);
        view.top = ReadInteger(s, QStringLiteral("Top"), 10);
        for (int column = 1; column <= 5; ++column) {
            view.columnWidths[column - 1] =
                std::max(ReadInteger(s, ColumnKey(column), 100), kMinimumColumnWidth);
        }
    }
    return autostartError;
}

void SaveSettings(const DesktopSettings& settings, const ProgramSettings& options) {
    const QString path = SettingsFilePath();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) throw Error("Failed to create key " + folder.toStdString());

    QSettings s(path, QSettings::NativeFormat);
    {
        Section general(s, kGeneral);
        s.setValue(QStringLiteral("Names"), JoinHistory(settings.history));
        WriteBoolean(s, QStringLiteral("Case sensitive"), settings.caseSensitive);
        WriteBoolean(s, QStringLiteral("Whole words"), settings.wholeWords);
        WriteBoolean(s, QStringLiteral("Find folders"), settings.findFolders);
        WriteBoolean(s, QStringLiteral("Find files"), settings.findFiles);
        WriteBoolean(s, QStringLiteral("Full path"), settings.fullPath);
    }
    {
        Section section(s, kOptions);
        WriteBoolean(s, QStringLiteral("RescanOnStartup"), options.RescanOnStartup);
        WriteBoolean(s, QStringLiteral("MinimizeOnStartup"), options.MinimizeOnStartup);
        WriteBoolean(s, QStringLiteral("StartWindowsStarts"), options.StartWindowsStarts);
        WriteBytes(s, QStringLiteral("PowerSearchFile"), options.PowerSearchFile);
        WriteBytes(s, QStringLiteral("DBFileName"), settings.databaseFile);
        WriteInteger(s, QStringLiteral("MaxResultsCount"), options.MaxResultsCount);
        WriteInteger(s, QStringLiteral("HotKeyID1"), options.HotKeys[1]);
        WriteInteger(s, QStringLiteral("HotKeyID2"), options.HotKeys[2]);
        WriteBoolean(s, QStringLiteral("SearchAsYouType"), options.SearchAsYouType);
        WriteBoolean(s, QStringLiteral("LiveUpdates"), options.LiveUpdates);
    }
    {
        Section section(s, kView);
        const ViewGeometry& view = settings.view;
        WriteInteger(s, QStringLiteral("Width"), view.width);
        WriteInteger(s, QStringLiteral("Height"), view.height);
        WriteInteger(s, QStringLiteral("Left"), view.left);
        WriteInteger(s, QStringLiteral("Top"), view.top);
        for (int column = 1; column <= 5; ++column)
            WriteInteger(s, ColumnKey(column), view.columnWidths[column - 1]);
    }
    // QSettings writes the whole file at once, through a temporary file that replaces the
    // old one only when complete.
    s.sync();
    if (s.status() == QSettings::AccessError)
        throw Error("Failed to set data for '" + path.toStdString() + "'");
}

}  // namespace quillory::app
