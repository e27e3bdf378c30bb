#pragma once

// There is no help file: asking for help records the context or topic asked
// for and tells the user so.

#include <QString>

#include <vector>

namespace qv {

inline const QString kNoHelpText = QStringLiteral("No help available for this topic.");

struct HelpRequest
{
    int context = 0;    // 0 when a topic was asked for
    QString topic;      // empty when a context was asked for
};

void showHelpContext(int context);
void showHelpTopic(const QString& topic);

// Every request since the start or the last clear, oldest first.
const std::vector<HelpRequest>& helpRequests();
void clearHelpRequests();

} // namespace qv
