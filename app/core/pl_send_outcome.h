#pragma once
// What became of a message sent to each of its recipients, and what the
// compose window shows afterwards.

#include <string>

#include "app/compose/pl_recipients.h"

enum class PlSendResult { Sent, NotFound, TransmissionError, UnknownError };

struct PlSendOutcome {
    PlRecipient recipient;
    PlSendResult result = PlSendResult::Sent;
};

struct PlSendReport {
    bool allSent = true;
    std::string errorText;  // the error popup's text; empty: no popup
    std::string sound;      // the sound to play; empty: silence
};
