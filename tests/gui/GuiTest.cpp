#include "GuiTest.h"

#include "document/LineIo.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>

namespace velkar::gui::test {

std::optional<QString> ScriptedDialogs::openFile(QWidget*, const FileRequest& request) {
    fileRequests.push_back(request);
    if (files.empty()) {
        ADD_FAILURE() << "unexpected open dialog " << request.title.toStdString();
        return std::nullopt;
    }
    const QString answer = files.front();
    files.pop_front();
    if (answer.isNull())
        return std::nullopt;
    return answer;
}

std::optional<QString> ScriptedDialogs::saveFile(QWidget*, const FileRequest& request) {
    fileRequests.push_back(request);
    if (files.empty()) {
        ADD_FAILURE() << "unexpected save dialog " << request.title.toStdString();
        return std::nullopt;
    }
    QString answer = files.front();
    files.pop_front();
    if (answer.isNull())
        return std::nullopt;
    if (!request.defaultSuffix.isEmpty() && QFileInfo(answer).suffix().isEmpty() &&
        !answer.endsWith(QLatin1Char('.')))
        answer += QLatin1Char('.') + request.defaultSuffix;
    return answer;
}

void ScriptedDialogs::information(QWidget*, const QString& title, const QString& text) {
    titles.push_back(title);
    messages.push_back(text);
    if (onInformation)
        onInformation(text);
}

Answer ScriptedDialogs::question(QWidget*, const QString& title, const QString& text,
                                 bool withCancel) {
    titles.push_back(title);
    questions.push_back(text);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question " << text.toStdString();
        return withCancel ? Answer::Cancel : Answer::No;
    }
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<int> ScriptedDialogs::choose(QWidget*, const QString& title, const QString& text,
                                           const QStringList& buttons) {
    titles.push_back(title);
    choiceTexts.push_back(text);
    choiceButtons.push_back(buttons);
    if (choices.empty()) {
        ADD_FAILURE() << "unexpected choice " << text.toStdString();
        return std::nullopt;
    }
    const std::optional<int> choice = choices.front();
    choices.pop_front();
    return choice;
}

std::optional<QFont> ScriptedDialogs::chooseFont(QWidget*, const QFont&) {
    if (fonts.empty()) {
        ADD_FAILURE() << "unexpected font dialog";
        return std::nullopt;
    }
    auto answer = fonts.front();
    fonts.pop_front();
    return answer;
}

ModalScript::ModalScript() {
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
    m_timer.start();
}

void ModalScript::poll() {
    QWidget* window = QApplication::activeModalWidget();
    if (!window || m_running)
        return;
    if (m_actions.empty()) {
        ++m_unexpected;
        if (auto* dialog = qobject_cast<QDialog*>(window))
            dialog->reject();
        else
            window->close();
        return;
    }
    auto action = std::move(m_actions.front());
    m_actions.pop_front();
    m_running = true;
    action(window);
    m_running = false;
}

QString CorpusFile(const char* relative) {
    const QString path = QStringLiteral(VELKAR_CORPUS_DIR "/") + QString::fromUtf8(relative);
    return QFileInfo::exists(path) ? path : QString();
}

std::string ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), qint64(bytes.size()));
}

std::vector<std::string> FileLines(const QString& path) {
    return velkar::SplitLines(ReadBytes(path));
}

void GuiTest::SetUp() {
    ASSERT_TRUE(m_folder.isValid());
    SetUserDialogs(&dialogs);
}

void GuiTest::TearDown() {
    m_windows.reset();
    SetUserDialogs(nullptr);
    if (IsSkipped())
        return; // a test skipped for want of the corpus leaves its answers unused
    EXPECT_EQ(modal.unexpected(), 0) << "a modal window came up that the test did not expect";
    EXPECT_TRUE(modal.done()) << "a modal window the test expected never came up";
    EXPECT_TRUE(dialogs.files.empty());
    EXPECT_TRUE(dialogs.answers.empty());
}

void GuiTest::start() {
    m_windows = std::make_unique<Windows>(settingsPath());
    form().show();
}

void GuiTest::open(const QString& path) {
    dialogs.files.push_back(path);
    form().cmdOpenSubtitle->click();
}

bool GuiTest::openCorpus(const char* relative) {
    const QString path = CorpusFile(relative);
    if (path.isEmpty())
        return false;
    open(path);
    return true;
}

void GuiTest::openBytes(const std::string& bytes, const QString& name) {
    WriteBytes(tempPath(name), bytes);
    open(tempPath(name));
}

void GuiTest::closeMain() {
    form().close();
}

} // namespace velkar::gui::test
