// Velkar, the desktop program.

#include "app/Application.h"
#include "frmMain/TForm1.h"

int main(int argc, char** argv) {
    velkar::gui::VelkarApplication app(argc, argv);
    velkar::gui::SetUpApplication(app);
    velkar::gui::Windows windows(velkar::gui::DefaultSettingsPath());
    windows.Form1().show();
    return app.exec();
}
