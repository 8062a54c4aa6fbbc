#pragma once
// The NetBIOS programming interface as Windows defines it: the network control
// block (NCB), its command and return codes, and the structures that adapter
// enumeration and adapter status write into the caller's buffer. Names and
// values are those of the Windows interface so that callers read the same.
//
// Differences from Windows: ncb_event is a PlEvent*, and on a 64-bit build the
// pointers widen the NCB beyond 64 bytes (as they do on 64-bit Windows).

#include <cstdint>

class PlEvent;

struct NCB {
    std::uint8_t ncb_command;       // command code; ASYNCH (0x80) for asynchronous
    std::uint8_t ncb_retcode;       // return code; NRC_PENDING while it runs
    std::uint8_t ncb_lsn;           // local session number
    std::uint8_t ncb_num;           // number of the local name
    std::uint8_t* ncb_buffer;       // message buffer
    std::uint16_t ncb_length;       // buffer size in, bytes transferred out
    std::uint8_t ncb_callname[16];  // remote name
    std::uint8_t ncb_name[16];      // local name
    std::uint8_t ncb_rto;           // receive time-out, 500 ms units, 0 = none
    std::uint8_t ncb_sto;           // send time-out, 500 ms units, 0 = none
    void (*ncb_post)(NCB*);         // completion routine, run on the provider's thread
    std::uint8_t ncb_lana_num;      // adapter number
    std::uint8_t ncb_cmd_cplt;      // completion code, equal to ncb_retcode
    std::uint8_t ncb_reserve[10];
    PlEvent* ncb_event;  // signalled when an asynchronous command completes
};

inline constexpr int NCBNAMSZ = 16;
inline constexpr int MAX_LANA = 254;

// Commands.
inline constexpr std::uint8_t NCBCALL = 0x10;
inline constexpr std::uint8_t NCBLISTEN = 0x11;
inline constexpr std::uint8_t NCBHANGUP = 0x12;
inline constexpr std::uint8_t NCBSEND = 0x14;
inline constexpr std::uint8_t NCBRECV = 0x15;
inline constexpr std::uint8_t NCBDGSEND = 0x20;
inline constexpr std::uint8_t NCBDGRECV = 0x21;
inline constexpr std::uint8_t NCBDGSENDBC = 0x22;
inline constexpr std::uint8_t NCBDGRECVBC = 0x23;
inline constexpr std::uint8_t NCBADDNAME = 0x30;
inline constexpr std::uint8_t NCBDELNAME = 0x31;
inline constexpr std::uint8_t NCBRESET = 0x32;
inline constexpr std::uint8_t NCBASTAT = 0x33;
inline constexpr std::uint8_t NCBCANCEL = 0x35;
inline constexpr std::uint8_t NCBADDGRNAME = 0x36;
inline constexpr std::uint8_t NCBENUM = 0x37;
inline constexpr std::uint8_t ASYNCH = 0x80;

// Return codes.
inline constexpr std::uint8_t NRC_GOODRET = 0x00;
inline constexpr std::uint8_t NRC_BUFLEN = 0x01;
inline constexpr std::uint8_t NRC_ILLCMD = 0x03;
inline constexpr std::uint8_t NRC_CMDTMO = 0x05;
inline constexpr std::uint8_t NRC_INCOMP = 0x06;
inline constexpr std::uint8_t NRC_SNUMOUT = 0x08;
inline constexpr std::uint8_t NRC_NORES = 0x09;
inline constexpr std::uint8_t NRC_SCLOSED = 0x0A;
inline constexpr std::uint8_t NRC_CMDCAN = 0x0B;
inline constexpr std::uint8_t NRC_DUPNAME = 0x0D;
inline constexpr std::uint8_t NRC_NAMTFUL = 0x0E;
inline constexpr std::uint8_t NRC_ACTSES = 0x0F;
inline constexpr std::uint8_t NRC_LOCTFUL = 0x11;
inline constexpr std::uint8_t NRC_REMTFUL = 0x12;
inline constexpr std::uint8_t NRC_ILLNN = 0x13;
inline constexpr std::uint8_t NRC_NOCALL = 0x14;
inline constexpr std::uint8_t NRC_NOWILD = 0x15;
inline constexpr std::uint8_t NRC_INUSE = 0x16;
inline constexpr std::uint8_t NRC_NAMERR = 0x17;
inline constexpr std::uint8_t NRC_SABORT = 0x18;
inline constexpr std::uint8_t NRC_NAMCONF = 0x19;
inline constexpr std::uint8_t NRC_BRIDGE = 0x23;
inline constexpr std::uint8_t NRC_CANOCCR = 0x24;
inline constexpr std::uint8_t NRC_CANCEL = 0x26;
inline constexpr std::uint8_t NRC_NORESOURCES = 0x38;
inline constexpr std::uint8_t NRC_SYSTEM = 0x40;
inline constexpr std::uint8_t NRC_PENDING = 0xFF;

struct LANA_ENUM {
    std::uint8_t length;  // number of valid entries in lana
    std::uint8_t lana[MAX_LANA + 1];
};

// The block that adapter status writes first; name_count NAME_BUFFERs follow.
#pragma pack(push, 1)
struct ADAPTER_STATUS {
    std::uint8_t adapter_address[6];
    std::uint8_t rev_major;
    std::uint8_t reserved0;
    std::uint8_t adapter_type;
    std::uint8_t rev_minor;
    std::uint16_t duration;
    std::uint16_t frmr_recv;
    std::uint16_t frmr_xmit;
    std::uint16_t iframe_recv_err;
    std::uint16_t xmit_aborts;
    std::uint32_t xmit_success;
    std::uint32_t recv_success;
    std::uint16_t iframe_xmit_err;
    std::uint16_t recv_buff_unavail;
    std::uint16_t t1_timeouts;
    std::uint16_t ti_timeouts;
    std::uint32_t reserved1;
    std::uint16_t free_ncbs;
    std::uint16_t max_cfg_ncbs;
    std::uint16_t max_ncbs;
    std::uint16_t xmit_buf_unavail;
    std::uint16_t max_dgram_size;
    std::uint16_t pending_sess;
    std::uint16_t max_cfg_sess;
    std::uint16_t max_sess;
    std::uint16_t max_sess_pkt_size;
    std::uint16_t name_count;
};

struct NAME_BUFFER {
    std::uint8_t name[NCBNAMSZ];
    std::uint8_t name_num;
    std::uint8_t name_flags;
};
#pragma pack(pop)
static_assert(sizeof(ADAPTER_STATUS) == 60);
static_assert(sizeof(NAME_BUFFER) == 18);

// name_flags of NAME_BUFFER.
inline constexpr std::uint8_t NAME_FLAGS_MASK = 0x87;
inline constexpr std::uint8_t GROUP_NAME = 0x80;
inline constexpr std::uint8_t UNIQUE_NAME = 0x00;
inline constexpr std::uint8_t REGISTERING = 0x00;
inline constexpr std::uint8_t REGISTERED = 0x04;
inline constexpr std::uint8_t DEREGISTERED = 0x05;
inline constexpr std::uint8_t DUPLICATE = 0x06;
inline constexpr std::uint8_t DUPLICATE_DEREG = 0x07;
