#include "app/texts/pl_builtin_texts.h"

namespace {

// Section names of the language files.
constexpr char kShared[] = "Shared";
constexpr char kPopupForm[] = "PopupForm";
constexpr char kTrayMenu[] = "TrayMenu";
constexpr char kTrayTip[] = "TrayTip";
constexpr char kAboutForm[] = "AboutForm";
constexpr char kOptionsForm[] = "OptionsForm";
constexpr char kOptionsPageSys[] = "OptionsPageSys";
constexpr char kOptionsPageSound[] = "OptionsPageSound";
constexpr char kOptionsPageRecv[] = "OptionsPageRecv";
constexpr char kContactEditForm[] = "ContactEditForm";
constexpr char kContactsForm[] = "ContactsForm";
constexpr char kMsgArchiveForm[] = "MsgArchiveForm";
constexpr char kPopErrorForm[] = "PopErrorForm";
constexpr char kWriteMsgForm[] = "WriteMsgForm";
constexpr char kOptionsPageTray[] = "OptionsPageTray";
constexpr char kOptionsPageSend[] = "OptionsPageSend";
constexpr char kOptionsPageArchive[] = "OptionsPageArchive";
constexpr char kLanBrowserForm[] = "LanBrowserForm";
constexpr char kOptionsPageHotKeys[] = "OptionsPageHotKeys";

}  // namespace

const PlTextRow kPlBuiltinTexts[] = {
    // Shared
    {101, "OK", kShared},
    {102, "Cancel", kShared},
    {103, "Browse", kShared},
    {104, "Save", kShared},
    {105, "Send", kShared},
    {106, "Close", kShared},
    {107, "Set", kShared},

    // PopupForm
    {201, "Messages received", kPopupForm},
    {202, "<<", kPopupForm},
    {203, ">>", kPopupForm},
    {204, "Copy", kPopupForm},
    {205, "%1 wrote to %2:", kPopupForm},
    {206, "No messages", kPopupForm},
    {207, "Reply", kPopupForm},

    // TrayMenu
    {301, "Change options...", kTrayMenu},
    {302, "About", kTrayMenu},
    {303, "Exit Parlino", kTrayMenu},
    {304, "Write message...", kTrayMenu},
    {305, "Read messages...", kTrayMenu},
    {306, "Help", kTrayMenu},

    // TrayTip
    {401, "Parlino Messenger", kTrayTip},
    {402, "Registering on the net...", kTrayTip},
    {403, "Online", kTrayTip},
    {404, "Network not found", kTrayTip},

    // AboutForm
    {501, "About Parlino", kAboutForm},
    {502, "Parlino Messenger", kAboutForm},
    {503, "instant messenger for LAN", kAboutForm},
    {504, "Feedback:", kAboutForm},
    {505, "Homepage:", kAboutForm},
    {506, "Version", kAboutForm},

    // OptionsForm
    {601, "Options", kOptionsForm},
    {602, "General", kOptionsForm},
    {603, "System", kOptionsForm},
    {604, "Interface", kOptionsForm},
    {605, "Sound effects", kOptionsForm},
    {606, "Behaviour", kOptionsForm},
    {607, "Message receiving", kOptionsForm},
    {608, "Tray icon", kOptionsForm},
    {609, "Message sending", kOptionsForm},
    {610, "Message archive", kOptionsForm},
    {611, "Hot keys", kOptionsForm},

    // OptionsPageSys
    {701, "System", kOptionsPageSys},
    {702, "Parlino launch", kOptionsPageSys},
    {703, "Launch Parlino on Windows startup", kOptionsPageSys},
    {704, "Interface language", kOptionsPageSys},
    {705, "Select your preferred language:", kOptionsPageSys},
    {706, "Translator:", kOptionsPageSys},
    {707, "Version:", kOptionsPageSys},
    {708, "Note: restart Parlino for language change to take effect", kOptionsPageSys},

    // OptionsPageSound
    {801, "Sound effects", kOptionsPageSound},
    {802, "Enable sound effects", kOptionsPageSound},
    {803, "Event", kOptionsPageSound},
    {804, "Sound file name", kOptionsPageSound},
    {805, "Broadcast message", kOptionsPageSound},
    {806, "Personal message", kOptionsPageSound},
    {807, "Message sent successfully", kOptionsPageSound},
    {808, "Message sending failed", kOptionsPageSound},

    // OptionsPageRecv
    {901, "Message receiving", kOptionsPageRecv},
    {902, "Popup message window", kOptionsPageRecv},
    {903, "Close popup message window", kOptionsPageRecv},
    {904, "Manually", kOptionsPageRecv},
    {905, "At expiration of", kOptionsPageRecv},
    {906, "sec.", kOptionsPageRecv},
    {907, "Action on message receiving", kOptionsPageRecv},
    {908, "Upon receiving a message:", kOptionsPageRecv},
    {909, "Show message in popup window", kOptionsPageRecv},
    {910, "Open message archive", kOptionsPageRecv},
    {911, "Do nothing", kOptionsPageRecv},
    {912, "Sound notification", kOptionsPageRecv},

    // ContactEditForm
    {1001, "Contact information", kContactEditForm},
    {1002, "Message recipient:", kContactEditForm},
    {1003, "User or computer", kContactEditForm},
    {1004, "Workgroup or domain", kContactEditForm},
    {1005, "Recipient name:", kContactEditForm},
    {1006, "Display name:", kContactEditForm},
    {1007, "Contact group:", kContactEditForm},
    {1008, "Recipient name not specified!", kContactEditForm},
    {1009, "Display name not specified!", kContactEditForm},
    {1010, "Group name not specified!", kContactEditForm},

    // ContactsForm
    {1101, "Add new contact", kContactsForm},
    {1102, "View contacts history", kContactsForm},
    {1103, "Write message", kContactsForm},
    {1104, "Edit contact info", kContactsForm},
    {1105, "Delete", kContactsForm},
    {1106, "Delete selected item?", kContactsForm},
    {1107, "View contacts history", kContactsForm},
    {1108, "Find users in network", kContactsForm},

    // MsgArchiveForm
    {1201, "Message archive", kMsgArchiveForm},
    {1202, "Incoming", kMsgArchiveForm},
    {1203, "Outcoming", kMsgArchiveForm},
    {1204, "Dialog", kMsgArchiveForm},
    {1205, "Filter", kMsgArchiveForm},
    {1206, "From/To", kMsgArchiveForm},
    {1207, "Period", kMsgArchiveForm},
    {1208, "Write message to sender", kMsgArchiveForm},
    {1209, "Copy", kMsgArchiveForm},
    {1210, "Delete", kMsgArchiveForm},
    {1211, "%1 wrote to %2:", kMsgArchiveForm},

    // PopErrorForm
    {1301, "Error", kPopErrorForm},

    // WriteMsgForm
    {1401, "Write message", kWriteMsgForm},
    {1402, "To", kWriteMsgForm},
    {1403, "Can't send message to:", kWriteMsgForm},
    {1404, "User or computer", kWriteMsgForm},
    {1405, "Domain or workgroup", kWriteMsgForm},
    {1406, "Contact group", kWriteMsgForm},
    {1407,
     "Message exceed maximum allowed length (personal message - 1600 characters, broadcast "
     "message - 128 characters). Message text will be truncated. Continue?",
     kWriteMsgForm},
    {1408, "Unknown error", kWriteMsgForm},
    {1409, "Recipient not found", kWriteMsgForm},
    {1410, "Message transmission error", kWriteMsgForm},

    // OptionsPageTray
    {1501, "Tray icon", kOptionsPageTray},
    {1502, "Action on left mouse button click", kOptionsPageTray},
    {1503, "Left mouse button click opens:", kOptionsPageTray},
    {1504, "Contact list", kOptionsPageTray},
    {1505, "Message archive", kOptionsPageTray},

    // OptionsPageSend
    {1601, "Message sending", kOptionsPageSend},
    {1602, "Action on message sending", kOptionsPageSend},
    {1603, "If message sent succesfully, generate:", kOptionsPageSend},
    {1604, "Sound notification", kOptionsPageSend},
    {1605, "If sending failed, generate:", kOptionsPageSend},
    {1606, "Text notification", kOptionsPageSend},
    {1607, "Sound notification", kOptionsPageSend},

    // OptionsPageArchive
    {1701, "Message archive", kOptionsPageArchive},
    {1702, "Message archive window", kOptionsPageArchive},
    {1703, "Always on top", kOptionsPageArchive},
    {1704, "Message list", kOptionsPageArchive},
    {1705, "Display messages registered during last", kOptionsPageArchive},
    {1706, "days", kOptionsPageArchive},

    // LanBrowserForm
    {1801, "Local network search", kLanBrowserForm},
    {1802, "Start search", kLanBrowserForm},
    {1803, "Stop search", kLanBrowserForm},
    {1804, "Name", kLanBrowserForm},
    {1805, "Comment", kLanBrowserForm},
    {1806, "Computer", kLanBrowserForm},
    {1807, "Domain", kLanBrowserForm},
    {1808, "Status", kLanBrowserForm},
    {1809, "Available", kLanBrowserForm},
    {1810, "Offline", kLanBrowserForm},
    {1811, "Searching...", kLanBrowserForm},
    {1812, "Search complete", kLanBrowserForm},
    {1813, "Search terminated", kLanBrowserForm},
    {1814, "Write message", kLanBrowserForm},
    {1815, "Add to contact list", kLanBrowserForm},
    {1816, "View contacts history", kLanBrowserForm},

    // OptionsPageHotKeys
    {1901, "Hot keys", kOptionsPageHotKeys},
    {1902, "Enable hot keys", kOptionsPageHotKeys},
    {1903, "Action", kOptionsPageHotKeys},
    {1904, "Key", kOptionsPageHotKeys},
    {1905, "Write new message", kOptionsPageHotKeys},
    {1906, "Reply to last message", kOptionsPageHotKeys},
    {1907, "Read incoming messages", kOptionsPageHotKeys},
    {1908, "Find users in the network", kOptionsPageHotKeys},
    {1909, "Hot key", kOptionsPageHotKeys},
};

const std::size_t kPlBuiltinTextCount = sizeof kPlBuiltinTexts / sizeof kPlBuiltinTexts[0];

const PlTextRow kPlProjectTexts[] = {
    {1011, "Names must not contain \";\" or line breaks!", kContactEditForm},
    {1212, "Text", kMsgArchiveForm},
    {1213, "Export...", kMsgArchiveForm},
    {1214, "Text files (*.txt)", kMsgArchiveForm},
    {1215, "CSV files (*.csv)", kMsgArchiveForm},
    {1216, "The file could not be written:", kMsgArchiveForm},
    {1217, "Choose a contact", kMsgArchiveForm},
    {1218, "Apply", kMsgArchiveForm},
};

const std::size_t kPlProjectTextCount = sizeof kPlProjectTexts / sizeof kPlProjectTexts[0];

void PlAddAllDefaults(PlTextTable& table)
{
    table.AddDefaults(kPlBuiltinTexts, kPlBuiltinTextCount);
    table.AddDefaults(kPlProjectTexts, kPlProjectTextCount);
}
