#include "app/Application.h"

#include "app/CommandLine.h"
#include "app/Guard.h"
#include "app/Settings.h"
#include "app/TextFit.h"
#include "edit/TfrmEdit.h"
#include "frmMain/TForm1.h"
#include "mvd/TfrmMvd.h"
#include "select/TForm2.h"
#include "subs/TfrmSubs.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QStandardPaths>
#include <QStyleFactory>

namespace velkar::gui {

VelkarApplication::VelkarApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VelkarApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowFailure(activeWindow(), error);
        return false;
    }
}

Windows::Windows(const QString& settingsPath)
    : m_form1(std::make_unique<TForm1>(settingsPath)), m_edit(std::make_unique<TfrmEdit>()),
      m_subs(std::make_unique<TfrmSubs>()), m_form2(std::make_unique<TForm2>()),
      m_mvd(std::make_unique<TfrmMvd>()) {
    m_form1->attachWindows(m_edit.get(), m_subs.get(), m_form2.get(), m_mvd.get());
    for (QWidget* window : std::initializer_list<QWidget*>{
             m_form1.get(), m_edit.get(), m_subs.get(), m_form2.get(), m_mvd.get()})
        FitWindowTexts(window);
}

Windows::~Windows() {
    // The main window goes first, so its shutdown still finds the others.
    m_form1.reset();
}

void SetUpApplication(QApplication& app) {
    app.setApplicationName(QStringLiteral("velkar"));
    // No display name: the window system would add it to every title, and the main window's
    // title names the program itself ("film.srt - Velkar - movie.avi").
    app.setApplicationVersion(kAppVersion);
    // The installed desktop entry and icon (share/applications/velkar.desktop).
    app.setDesktopFileName(QStringLiteral("velkar"));
    app.setWindowIcon(QIcon::fromTheme(QStringLiteral("velkar")));
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        app.setStyle(fusion);
}

QString DefaultSettingsPath() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString configHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QFile::decodeName(velkar::SettingsFilePath(QFile::encodeName(exeDir).toStdString(),
                                                      QFile::encodeName(configHome).toStdString())
                                 .c_str());
}

} // namespace velkar::gui
