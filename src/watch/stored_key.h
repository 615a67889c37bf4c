// The stored keys of the polls (LastMessage, LastSubMessage): read before every comparison and
// recorded before every message, with this run's own record standing in while the
// configuration file cannot be read or written.
#pragma once
#include <string>

#include "watch/message_file.h"

// The key that an entry's key must exceed. While the configuration file works (it can be read
// and every key this run recorded reached it) the stored value rules, so a key lowered by hand
// takes effect. Otherwise the stored value is missing or stale, and runFloor (the newest key
// this run recorded, else the key of the start) keeps the same messages from coming up again
// on every poll; a stored value above it still counts.
MessageKey KeyToBeat(bool fileWorks, MessageKey stored, MessageKey runFloor);

// Reads keyName from group "Global" of the configuration file and gives the key to beat.
MessageKey CurrentKeyToBeat(const std::wstring& keyName);
// Writes key as keyName into the configuration file and remembers it as this run's newest;
// reads it back to learn whether the write reached the file.
void RecordKey(const std::wstring& keyName, MessageKey key);

// Forgets what this run recorded and what it learned about the configuration file.
void ForgetRunKeysForTesting();
