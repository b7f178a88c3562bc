#pragma once
// Start-up: the application object and the five windows, created once, in this order, and
// kept until the program ends: the main window TForm1 (shown), the editor TfrmEdit, the list
// viewer TfrmSubs, the dialog picker TForm2 and the descriptor window TfrmMvd (all hidden
// until a command shows them).

#include <QApplication>
#include <QString>
#include <memory>

namespace velkar::gui {

class TForm1;
class TForm2;
class TfrmEdit;
class TfrmMvd;
class TfrmSubs;

// The application object. Its general error handler catches a failure that leaves any event
// handler, shows the message in a box titled "Velkar", and the program goes on.
class VelkarApplication : public QApplication {
  public:
    VelkarApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

class Windows {
  public:
    // Creates the five windows; the main window reads its settings from `settingsPath`.
    explicit Windows(const QString& settingsPath);
    ~Windows();

    TForm1& Form1() const { return *m_form1; }
    TfrmEdit& frmEdit() const { return *m_edit; }
    TfrmSubs& frmSubs() const { return *m_subs; }
    TForm2& Form2() const { return *m_form2; }
    TfrmMvd& frmMvd() const { return *m_mvd; }

  private:
    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TfrmEdit> m_edit;
    std::unique_ptr<TfrmSubs> m_subs;
    std::unique_ptr<TForm2> m_form2;
    std::unique_ptr<TfrmMvd> m_mvd;
};

// Sets the application's title and style, as start-up does before the first window.
void SetUpApplication(QApplication& app);

// Where the settings file lives for this executable (see SettingsFilePath).
QString DefaultSettingsPath();

} // namespace velkar::gui
