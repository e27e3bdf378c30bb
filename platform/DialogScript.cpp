#include "platform/DialogScript.h"

#include <QDialog>

namespace qv {

namespace {

DialogScript* g_active = nullptr;

const char* kindName(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Message:
        return "message box";
    case DialogKind::Input:
        return "input prompt";
    case DialogKind::File:
        return "file dialog";
    case DialogKind::Font:
        return "font dialog";
    case DialogKind::Login:
        return "login dialog";
    case DialogKind::Modal:
        return "modal window";
    }
    return "dialog";
}

template <typename Queue>
auto takeFront(Queue& queue)
{
    auto answer = std::move(queue.front());
    queue.pop_front();
    return answer;
}

} // namespace

DialogScript::DialogScript()
{
    if (g_active)
        throw std::logic_error("A dialog script is already active");
    g_active = this;
}

DialogScript::~DialogScript()
{
    g_active = nullptr;
}

DialogScript* DialogScript::active()
{
    return g_active;
}

void DialogScript::answerMessage(ModalResult result)
{
    m_messages.emplace_back(result, nullptr);
}

void DialogScript::answerMessage(ModalResult result, std::function<void()> whileShown)
{
    m_messages.emplace_back(result, std::move(whileShown));
}

void DialogScript::answerInput(const QString& text)
{
    m_inputs.emplace_back(text);
}

void DialogScript::cancelInput()
{
    m_inputs.emplace_back(std::nullopt);
}

void DialogScript::answerFile(const QString& fileName)
{
    answerFiles(QStringList{fileName});
}

void DialogScript::answerFiles(const QStringList& fileNames, int filterIndex)
{
    m_files.emplace_back(std::make_pair(fileNames, filterIndex));
}

void DialogScript::cancelFile()
{
    m_files.emplace_back(std::nullopt);
}

void DialogScript::answerFont(const QFont& font)
{
    m_fonts.emplace_back(font);
}

void DialogScript::cancelFont()
{
    m_fonts.emplace_back(std::nullopt);
}

void DialogScript::answerLogin(const QString& userName, const QString& password)
{
    m_logins.emplace_back(std::make_pair(userName, password));
}

void DialogScript::cancelLogin()
{
    m_logins.emplace_back(std::nullopt);
}

void DialogScript::onModal(std::function<void(QDialog&)> handler)
{
    if (!handler)
        throw std::invalid_argument("A modal handler must be callable");
    m_modals.push_back(std::move(handler));
}

QStringList DialogScript::messages() const
{
    QStringList texts;
    for (const ShownDialog& shown : m_shown)
        if (shown.kind == DialogKind::Message)
            texts << shown.text;
    return texts;
}

int DialogScript::pendingAnswers() const
{
    return int(m_messages.size() + m_inputs.size() + m_files.size() + m_fonts.size()
               + m_logins.size() + m_modals.size());
}

void DialogScript::fail(const ShownDialog& shown, const QString& why) const
{
    QString text = QStringLiteral("Unscripted %1 (%2): caption \"%3\", text \"%4\"")
                       .arg(QString::fromLatin1(kindName(shown.kind)), why, shown.caption, shown.text);
    if (!shown.buttons.isEmpty())
        text += QStringLiteral(", buttons ") + shown.buttons.join(QLatin1Char('/'));
    throw UnscriptedDialog(text.toStdString());
}

ModalResult DialogScript::takeMessage(const ShownDialog& shown, MsgDlgButtons buttons)
{
    m_shown.push_back(shown);
    if (m_messages.empty())
        fail(shown, QStringLiteral("no answer queued"));
    const auto [answer, whileShown] = takeFront(m_messages);
    if (whileShown)
        whileShown();
    bool offered = false;
    for (unsigned bit = 1; bit <= mbHelp; bit <<= 1)
        if ((buttons & bit) && resultOfButton(static_cast<MsgDlgBtn>(bit)) == answer)
            offered = true;
    if (!offered)
        fail(shown, QStringLiteral("the queued answer %1 is not one of its buttons").arg(int(answer)));
    return answer;
}

std::optional<QString> DialogScript::takeInput(const ShownDialog& shown)
{
    m_shown.push_back(shown);
    if (m_inputs.empty())
        fail(shown, QStringLiteral("no answer queued"));
    return takeFront(m_inputs);
}

std::optional<std::pair<QStringList, int>> DialogScript::takeFile(const ShownDialog& shown)
{
    m_shown.push_back(shown);
    if (m_files.empty())
        fail(shown, QStringLiteral("no answer queued"));
    return takeFront(m_files);
}

std::optional<QFont> DialogScript::takeFont(const ShownDialog& shown)
{
    m_shown.push_back(shown);
    if (m_fonts.empty())
        fail(shown, QStringLiteral("no answer queued"));
    return takeFront(m_fonts);
}

std::optional<std::pair<QString, QString>> DialogScript::takeLogin(const ShownDialog& shown)
{
    m_shown.push_back(shown);
    if (m_logins.empty())
        fail(shown, QStringLiteral("no answer queued"));
    return takeFront(m_logins);
}

std::function<void(QDialog&)> DialogScript::takeModal(const ShownDialog& shown)
{
    m_shown.push_back(shown);
    if (m_modals.empty())
        fail(shown, QStringLiteral("no handler queued"));
    return takeFront(m_modals);
}

} // namespace qv
