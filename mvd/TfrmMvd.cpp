// The descriptor window: its fields, labels and sizes, and the writing of the ".mvd" file.

#include "mvd/TfrmMvd.h"

#include "app/Guard.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velkar::gui {

namespace {

template <class W> W* Place(QWidget* parent, const char* name, int l, int t, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(l, t, w, h);
    return widget;
}

QLabel* Label(QWidget* parent, const char* name, const char* caption, int l, int t, int w,
              bool heading = false) {
    auto* label = Place<QLabel>(parent, name, l, t, w, 13);
    label->setText(QString::fromLatin1(caption));
    if (heading) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

QString FromBytes(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

std::string ToBytes(const QLineEdit* field) {
    return field->text().toStdString();
}

} // namespace

TfrmMvd::TfrmMvd(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmMvd"));
    setWindowTitle(QStringLiteral("Make MicroDVD file"));
    // A small tool window: a title, no border icons.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(323, 329);
    setModal(true);

    Label1 = Label(this, "Label1", "[MAIN]", 8, 8, 60, true);
    Label2 = Label(this, "Label2", "Title:", 16, 30, 60);
    txtTitle = Place<QLineEdit>(this, "txtTitle", 88, 26, 225, 21);
    Label3 = Label(this, "Label3", "ID:", 16, 56, 60);
    txtID = Place<QLineEdit>(this, "txtID", 88, 52, 97, 21);
    Button1 = Place<QPushButton>(this, "Button1", 190, 52, 21, 21);
    Button1->setText(QStringLiteral("G"));
    Button1->setAutoDefault(false);

    Label4 = Label(this, "Label4", "[MOVIE]", 8, 84, 60, true);
    Label5 = Label(this, "Label5", "Directory", 16, 106, 60);
    txtMovieDir = Place<QLineEdit>(this, "txtMovieDir", 88, 102, 225, 21);
    Label6 = Label(this, "Label6", "Avi Name:", 16, 132, 60);
    txtAviName = Place<QLineEdit>(this, "txtAviName", 88, 128, 225, 21);

    Label7 = Label(this, "Label7", "[SUBTITLES]", 8, 160, 80, true);
    Label8 = Label(this, "Label8", "Directory:", 16, 182, 60);
    txtSubDir = Place<QLineEdit>(this, "txtSubDir", 88, 178, 225, 21);
    Label9 = Label(this, "Label9", "Language 1:", 16, 208, 70);
    Label10 = Label(this, "Label10", "File=", 32, 232, 50);
    txtSubFileName = Place<QLineEdit>(this, "txtSubFileName", 88, 228, 225, 21);
    Label11 = Label(this, "Label11", "Short:", 32, 258, 50);
    txtShort1 = Place<QLineEdit>(this, "txtShort1", 88, 254, 41, 21);
    Label12 = Label(this, "Label12", "Long:", 140, 258, 40);
    txtLong1 = Place<QLineEdit>(this, "txtLong1", 180, 254, 133, 21);

    cmdSave = Place<QPushButton>(this, "cmdSave", 80, 292, 75, 25);
    cmdSave->setText(QStringLiteral("Save"));
    cmdSave->setDefault(true); // Enter
    cmdCancel = Place<QPushButton>(this, "cmdCancel", 168, 292, 75, 25);
    cmdCancel->setText(QStringLiteral("Cancel"));
    cmdCancel->setAutoDefault(false); // Esc rejects the dialog as Cancel does

    ConnectGuarded(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    ConnectGuarded(cmdSave, &QPushButton::clicked, this, [this] { cmdSaveClick(); });
    ConnectGuarded(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancelClick(); });
}

void TfrmMvd::Prepare(const QString& moviePath, const QString& subtitlePath) {
    const velkar::DescriptorFields fields = velkar::DescriptorFor(
        QFile::encodeName(moviePath).toStdString(), QFile::encodeName(subtitlePath).toStdString());
    txtTitle->setText(FromBytes(fields.Title));
    txtID->setText(QString::fromStdString(fields.ID));
    txtMovieDir->setText(FromBytes(fields.MovieDir));
    txtAviName->setText(FromBytes(fields.AviName));
    txtSubDir->setText(FromBytes(fields.SubDir));
    txtSubFileName->setText(FromBytes(fields.SubFileName));
    txtShort1->setText(QString::fromStdString(fields.Short1));
    txtLong1->setText(QString::fromStdString(fields.Long1));
}

velkar::DescriptorFields TfrmMvd::Fields() const {
    velkar::DescriptorFields fields;
    fields.Title = ToBytes(txtTitle);
    fields.ID = ToBytes(txtID);
    fields.MovieDir = ToBytes(txtMovieDir);
    fields.AviName = ToBytes(txtAviName);
    fields.SubDir = ToBytes(txtSubDir);
    fields.SubFileName = ToBytes(txtSubFileName);
    fields.Short1 = ToBytes(txtShort1);
    fields.Long1 = ToBytes(txtLong1);
    return fields;
}

void TfrmMvd::GenerateID() {
    txtID->setText(QString::fromStdString(velkar::GenerateID()));
}

void TfrmMvd::Button1Click() {
    GenerateID();
}

void TfrmMvd::cmdSaveClick() {
    FileRequest& request = *m_saveDialog;
    request.title = QStringLiteral("Save the MicroDVD file");
    request.filter = QStringLiteral("MicroDVD file (*.mvd)");
    request.fileName = QStringLiteral("mdvd.mvd");
    // Stays in the shared request: the next "Save As..." adds it as well.
    request.defaultSuffix = QStringLiteral("mvd");
    const std::optional<QString> chosen = Dialogs().saveFile(this, request);
    if (!chosen)
        return;
    // The writer replaces the file whole, so nothing of an old descriptor survives.
    velkar::WriteDescriptor(QFile::encodeName(*chosen).toStdString(), Fields());
    accept();
}

void TfrmMvd::cmdCancelClick() {
    reject();
}

} // namespace velkar::gui
