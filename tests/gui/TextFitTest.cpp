// Every caption, label and field of every window shows its whole text at the fonts the
// program finds on this machine: measured with the font's metrics against the room the
// style gives the text.

#include "app/TextFit.h"
#include "GuiTest.h"
#include "edit/TfrmEdit.h"
#include "mvd/TfrmMvd.h"
#include "select/TForm2.h"
#include "subs/TfrmSubs.h"

#include <QPushButton>
#include <gtest/gtest.h>

namespace velkar::gui::test {
namespace {

class TextFit : public GuiTest {};

TEST_F(TextFit, EveryControlOfEveryWindowShowsItsWholeText) {
    start();
    int checked = 0;
    for (QWidget* window :
         std::initializer_list<QWidget*>{&form(), &windows().frmEdit(), &windows().frmSubs(),
                                         &windows().Form2(), &windows().frmMvd()})
        for (const QWidget* control : window->findChildren<QWidget*>())
            for (const QString& text : ShownTexts(control)) {
                ++checked;
                EXPECT_TRUE(TextFits(control, text))
                    << window->objectName().toStdString() << " "
                    << control->objectName().toStdString() << ": \"" << text.toStdString() << "\"";
            }
    EXPECT_GT(checked, 60);
    // the captions the two-state button takes later
    for (const char* caption :
         {"Dialog Start", "Dialog End", "Repair Dialog Start", "Repair Dialog End"})
        EXPECT_TRUE(TextFits(form().cmdStartEnd, QString::fromLatin1(caption))) << caption;
}

} // namespace
} // namespace velkar::gui::test
