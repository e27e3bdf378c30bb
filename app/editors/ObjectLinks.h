#pragma once

// The link words of an SQL text: the names of the registered database's
// tables, views and procedures, which a click opens as their CREATE text.

#include <QString>

class TqeGeneralSyn;

// Makes the object names of the database entry dbId the syntax's link
// words; nothing when the entry is gone.
void SetObjectLinkWords(TqeGeneralSyn* syntax, quint64 dbId);

// A link word was clicked: shows the CREATE text of the entry's object the
// word names (the object of exactly that name first, then the one the word
// names unquoted, then any letter case), under its stored name.
void ShowLinkedObject(quint64 dbId, const QString& word);
