#include "app/file_properties_form.h"

#include "app/qt_text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillory::app {

TFilePropertiesForm::TFilePropertiesForm(const FilePropertiesText& properties, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TFilePropertiesForm"));
    setWindowTitle(QStringLiteral("Properties - ") + FromBytes(properties.name));
    auto* form = new QFormLayout;
    const std::pair<const char*, const std::string*> rows[] = {{"Name", &properties.name},
                                                               {"Folder", &properties.folder},
                                                               {"Size", &properties.size},
                                                               {"Modified", &properties.modified},
                                                               {"Accessed", &properties.accessed},
                                                               {"Created", &properties.created},
                                                               {"Permissions", &properties.permissions}};
    for (const auto& [caption, value] : rows) {
        if (value->empty() && std::string_view(caption) == "Size") continue;  // a folder has no size
        auto* label = new QLabel(FromBytes(*value), this);
        label->setObjectName(QString::fromLatin1(caption));
        label->setTextFormat(Qt::PlainText);
        // Values can be selected and copied, from the keyboard too.
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        label->setFocusPolicy(Qt::StrongFocus);
        label->setAccessibleName(QString::fromLatin1(caption));
        label->setWordWrap(true);
        form->addRow(QString::fromLatin1(caption) + QLatin1Char(':'), label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setAccessibleName(QStringLiteral("Close"));
    buttons->button(QDialogButtonBox::Close)->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

QString TFilePropertiesForm::Value(const QString& caption) const {
    const auto* label = findChild<QLabel*>(caption);
    return label ? label->text() : QString();
}

}  // namespace quillory::app
