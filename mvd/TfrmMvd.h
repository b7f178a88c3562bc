#pragma once
// The MicroDVD player's descriptor window: the fields of a ".mvd" file for the movie and the
// subtitle file in use, a fresh random ID, and "Save", which writes the file. The window is
// created once at start-up and reused; every Prepare overwrites all of its fields.

#include "app/UserDialogs.h"
#include "authoring/Descriptor.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velkar::gui {

class TfrmMvd : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmMvd(QWidget* parent = nullptr);

    // Fills every field from the movie's and the subtitle file's full paths (either may be
    // empty, which leaves its fields empty), with a new ID and the language "GR" / "Greek".
    void Prepare(const QString& moviePath, const QString& subtitlePath);
    // The fields as the user left them, untrimmed.
    velkar::DescriptorFields Fields() const;
    // The save-file request "Save" prepares and shows (the main window's; not owned).
    void setSaveDialog(FileRequest* request) { m_saveDialog = request; }

    QLabel* Label1 = nullptr; // "[MAIN]"
    QLabel* Label2 = nullptr; // "Title:"
    QLineEdit* txtTitle = nullptr;
    QLabel* Label3 = nullptr; // "ID:"
    QLineEdit* txtID = nullptr;
    QPushButton* Button1 = nullptr; // "G": a new ID
    QLabel* Label4 = nullptr;       // "[MOVIE]"
    QLabel* Label5 = nullptr;       // "Directory"
    QLineEdit* txtMovieDir = nullptr;
    QLabel* Label6 = nullptr; // "Avi Name:"
    QLineEdit* txtAviName = nullptr;
    QLabel* Label7 = nullptr; // "[SUBTITLES]"
    QLabel* Label8 = nullptr; // "Directory:"
    QLineEdit* txtSubDir = nullptr;
    QLabel* Label9 = nullptr;  // "Language 1:"
    QLabel* Label10 = nullptr; // "File="
    QLineEdit* txtSubFileName = nullptr;
    QLabel* Label11 = nullptr; // "Short:"
    QLineEdit* txtShort1 = nullptr;
    QLabel* Label12 = nullptr; // "Long:"
    QLineEdit* txtLong1 = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdCancel = nullptr;

    // Replaces the text of txtID with a new ID (8 characters of A-Z and 0-9), the generator
    // seeded afresh from the clock.
    void GenerateID();
    void Button1Click();
    // Asks for the file name ("mdvd.mvd" proposed) and writes the descriptor, replacing any file
    // there completely; then closes the window. Cancelling the file dialog keeps the window
    // open. Throws VelkarError "Unable to write to <path>" (the window stays open, no file is
    // left half written).
    void cmdSaveClick();
    void cmdCancelClick();

  private:
    FileRequest m_ownSaveDialog;
    FileRequest* m_saveDialog = &m_ownSaveDialog;
};

} // namespace velkar::gui
