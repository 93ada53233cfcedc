#pragma once

#include <QString>

#include <functional>

class TJournalKeeper;

// Tells the user, in message boxes, what a journal keeper says: that the
// journal cannot be used (offering, for a damaged file, a new journal in its
// place), in a box the lesson goes on beside; and, at the end, series that
// could be kept nowhere.
void TellJournalMessages(TJournalKeeper *keeper);

// Tests answer instead of the user: the text, and whether a new journal may
// be offered; returns true to start one. Empty: the real message box.
void SetJournalMessageHookForTesting(std::function<bool(const QString &text, bool offerNew)> hook);
