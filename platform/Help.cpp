#include "platform/Help.h"

#include "platform/Dialogs.h"

namespace qv {

namespace {

std::vector<HelpRequest>& requests()
{
    static std::vector<HelpRequest> list;
    return list;
}

} // namespace

void showHelpContext(int context)
{
    requests().push_back({context, QString()});
    showMessage(kNoHelpText);
}

void showHelpTopic(const QString& topic)
{
    requests().push_back({0, topic});
    showMessage(kNoHelpText);
}

const std::vector<HelpRequest>& helpRequests()
{
    return requests();
}

void clearHelpRequests()
{
    requests().clear();
}

} // namespace qv
