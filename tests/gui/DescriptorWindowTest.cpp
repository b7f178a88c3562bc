// "Make MVD File" and the descriptor window: its fields for a movie and a subtitle file, the
// ID button, and the ".mvd" file "Save" writes.

#include "GuiTest.h"
#include "PlayingMovie.h"
#include "mvd/TfrmMvd.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <gmock/gmock.h>

namespace velkar::gui::test {
namespace {

using testing::ElementsAre;

class DescriptorWindow : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        start();
    }
    TfrmMvd& mvd() const { return windows().frmMvd(); }
    // Saves with the file dialog answering `path`.
    void saveAs(const QString& path) {
        dialogs.files.push_back(path);
        mvd().cmdSave->click();
    }
};

TEST_F(DescriptorWindow, HasItsFieldsLabelsAndSize) {
    EXPECT_EQ(mvd().windowTitle(), "Make MicroDVD file");
    EXPECT_EQ(mvd().size(), QSize(323, 329));
    EXPECT_FALSE(mvd().windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(mvd().windowFlags() & Qt::WindowMinMaxButtonsHint);
    QStringList labels;
    for (const QLabel* label :
         {mvd().Label1, mvd().Label2, mvd().Label3, mvd().Label4, mvd().Label5, mvd().Label6,
          mvd().Label7, mvd().Label8, mvd().Label9, mvd().Label10, mvd().Label11, mvd().Label12})
        labels << label->text();
    EXPECT_EQ(labels, QStringList({"[MAIN]", "Title:", "ID:", "[MOVIE]", "Directory",
                                   "Avi Name:", "[SUBTITLES]",
                                   "Directory:", "Language 1:", "File=", "Short:", "Long:"}));
    EXPECT_EQ(mvd().Button1->text(), "G");
    EXPECT_EQ(mvd().cmdSave->text(), "Save");
    EXPECT_TRUE(mvd().cmdSave->isDefault());
    EXPECT_EQ(mvd().cmdCancel->text(), "Cancel");
}

TEST_F(DescriptorWindow, FieldsComeFromTheMovieAndTheSubtitlePaths) {
    mvd().Prepare(QStringLiteral("/some/folder/Film.avi"), QStringLiteral("/other/place/Film.srt"));
    EXPECT_EQ(mvd().txtTitle->text(), "Film");
    EXPECT_EQ(mvd().txtMovieDir->text(), "/some/folder/");
    EXPECT_EQ(mvd().txtAviName->text(), "Film.avi");
    EXPECT_EQ(mvd().txtSubDir->text(), "/other/place/");
    EXPECT_EQ(mvd().txtSubFileName->text(), "Film.srt");
    EXPECT_EQ(mvd().txtShort1->text(), "GR");
    EXPECT_EQ(mvd().txtLong1->text(), "Greek");
    EXPECT_EQ(mvd().txtID->text().size(), 8);

    // The last four characters go, whatever the extension: a longer one leaves its start.
    mvd().Prepare(QStringLiteral("/some/folder/Film.mpeg4"), QString());
    EXPECT_EQ(mvd().txtTitle->text(), "Film.m");
    mvd().Prepare(QStringLiteral("/some/folder/Film.divx"), QString());
    EXPECT_EQ(mvd().txtTitle->text(), "Film.");
    // Nothing carries over from the last opening.
    EXPECT_EQ(mvd().txtSubDir->text(), "");
    EXPECT_EQ(mvd().txtSubFileName->text(), "");
}

TEST_F(DescriptorWindow, TheGButtonMakesIdsOfEightLettersOrDigits) {
    const QRegularExpression id(QStringLiteral("^[A-Z0-9]{8}$"));
    mvd().Button1->click();
    const QString first = mvd().txtID->text();
    mvd().Button1->click();
    const QString second = mvd().txtID->text();
    EXPECT_TRUE(id.match(first).hasMatch()) << first.toStdString();
    EXPECT_TRUE(id.match(second).hasMatch()) << second.toStdString();
}

TEST_F(DescriptorWindow, SaveWritesTheWholeDescriptorAndCloses) {
    mvd().Prepare(QStringLiteral("/some/folder/Film.avi"), QStringLiteral("/other/place/Film.srt"));
    mvd().txtID->setText(QStringLiteral("AB12CD34"));
    mvd().txtLong1->setText(QStringLiteral(" Greek "));
    mvd().show();
    saveAs(tempPath(QStringLiteral("film")));

    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const FileRequest& request = dialogs.fileRequests[0];
    EXPECT_EQ(request.title, "Save the MicroDVD file");
    EXPECT_EQ(request.filter, "MicroDVD file (*.mvd)");
    EXPECT_EQ(request.fileName, "mdvd.mvd");
    EXPECT_EQ(request.defaultSuffix, "mvd");
    EXPECT_FALSE(mvd().isVisible());
    EXPECT_THAT(FileLines(tempPath(QStringLiteral("film.mvd"))),
                ElementsAre("[Micro DVD Ini File]", "[MAIN]", "Title=Film", "ID=AB12CD34",
                            "CDNumber=", "Delay=", "[MOVIE]", "Directory=/some/folder/",
                            "AviName=Film.avi", "Avi2Name=", "Avi3Name=", "CD1Frames=",
                            "CD2Frames=", "CD3Frames=", "[SUBTITLES]", "Directory=/other/place/",
                            "DialogString=", "EstimateDisplayDuration=", "MaxDisplayDuration=",
                            "1=GR  Greek ", "File=Film.srt", "Offset=", "Multiplier=",
                            "Openbracket=", "Closebracket=", "LineSeperator="));
}

TEST_F(DescriptorWindow, SavingOverAnOldDescriptorReplacesItCompletely) {
    const QString path = tempPath(QStringLiteral("old.mvd"));
    WriteBytes(path, "[Micro DVD Ini File]\r\nStale=1\r\n[EXTRA]\r\nKey=old\r\n");
    mvd().Prepare(QString(), QString());
    mvd().show();
    saveAs(path);
    const std::vector<std::string> lines = FileLines(path);
    ASSERT_EQ(lines.size(), 26u);
    EXPECT_EQ(lines[1], "[MAIN]");
    EXPECT_EQ(lines[2], "Title=");
    EXPECT_THAT(lines, testing::Not(testing::Contains(testing::HasSubstr("old"))));
    EXPECT_THAT(lines, testing::Not(testing::Contains("Stale=1")));
    EXPECT_TRUE(dialogs.questions.empty());
}

TEST_F(DescriptorWindow, CancellingTheFileDialogKeepsTheWindowAsItWas) {
    mvd().Prepare(QStringLiteral("/some/folder/Film.avi"), QString());
    const QString id = mvd().txtID->text();
    mvd().show();
    saveAs(QString());
    EXPECT_TRUE(mvd().isVisible());
    EXPECT_EQ(mvd().txtID->text(), id);
    EXPECT_EQ(mvd().txtTitle->text(), "Film");
    mvd().cmdCancel->click();
    EXPECT_FALSE(mvd().isVisible());
}

TEST_F(DescriptorWindow, AFolderThatCannotBeWrittenGivesTheMessageAndKeepsTheWindowOpen) {
    // A file where the folder should be: no user, not even root, can write below it.
    WriteBytes(tempPath(QStringLiteral("notafolder")), "x");
    const QString path = tempPath(QStringLiteral("notafolder/mdvd.mvd"));
    mvd().Prepare(QString(), QString());
    mvd().show();
    saveAs(path);
    EXPECT_THAT(dialogs.messages, ElementsAre("Unable to write to " + path + ": Not a directory"));
    EXPECT_TRUE(mvd().isVisible());
    mvd().hide();
}

TEST_F(DescriptorWindow, MakeMvdFileFillsTheWindowFromTheDocumentAndShowsItModally) {
    openBytes("1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n", QStringLiteral("film.srt"));
    bool shown = false;
    modal.then([&](QWidget* window) {
        shown = window == &mvd();
        // No movie: its fields stay empty.
        EXPECT_EQ(mvd().txtTitle->text(), "");
        EXPECT_EQ(mvd().txtMovieDir->text(), "");
        EXPECT_EQ(mvd().txtAviName->text(), "");
        EXPECT_EQ(mvd().txtSubDir->text(), QDir(tempPath(QString())).absolutePath() + "/");
        EXPECT_EQ(mvd().txtSubFileName->text(), "film.srt");
        EXPECT_EQ(mvd().txtID->text().size(), 8);
        mvd().cmdCancel->click();
    });
    form().Button1->click();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(modal.done());
    EXPECT_FALSE(mvd().isVisible());
}

TEST_F(DescriptorWindow, EveryMakeMvdFileRefillsTheFields) {
    modal.then([&](QWidget*) {
        mvd().txtTitle->setText(QStringLiteral("typed"));
        mvd().txtShort1->setText(QStringLiteral("EN"));
        mvd().cmdCancel->click();
    });
    form().Button1->click();
    modal.then([&](QWidget*) {
        EXPECT_EQ(mvd().txtTitle->text(), "");
        EXPECT_EQ(mvd().txtShort1->text(), "GR");
        mvd().cmdCancel->click();
    });
    form().Button1->click();
    EXPECT_TRUE(modal.done());
    EXPECT_EQ(modal.unexpected(), 0);
}

class DescriptorWithMovie : public PlayingMovieTest {};

TEST_F(DescriptorWithMovie, TheMovieFieldsComeFromTheBuiltInPlayer) {
    VELKAR_START_WITH_MOVIE();
    const QString movie = HundredSecondMovie();
    TfrmMvd& mvd = windows().frmMvd();
    modal.then([&](QWidget*) {
        EXPECT_EQ(mvd.txtTitle->text(), "grey100");
        EXPECT_EQ(mvd.txtAviName->text(), "grey100.avi");
        EXPECT_EQ(mvd.txtMovieDir->text(), QFileInfo(movie).absolutePath() + "/");
        mvd.cmdCancel->click();
    });
    form().Button1->click();
    // With "Use BSP" the movie's name is the external player's, and none answers here.
    form().chkBSP->setChecked(true);
    modal.then([&](QWidget*) {
        EXPECT_EQ(mvd.txtAviName->text(), "");
        mvd.cmdCancel->click();
    });
    form().Button1->click();
    EXPECT_TRUE(modal.done());
}

} // namespace
} // namespace velkar::gui::test
