#include "app/compose/pl_send_rules.h"

#include "platform/text/pl_utf8.h"

bool PlTextTooLongFor(const std::vector<PlRecipient>& recipients, const std::string& text)
{
    const std::size_t length = pl::utf8::CharCount(text);
    for (const PlRecipient& recipient : recipients) {
        if (recipient.type == kRecipientPersonal && length > kPersonalTextLimit)
            return true;
        if (recipient.type == kRecipientBroadcast && length > kBroadcastTextLimit)
            return true;
    }
    return false;
}

std::string PlTextToSend(const std::string& text)
{
    return std::string(pl::utf8::PrefixChars(text, kPersonalTextLimit));
}
