#pragma once
// The exported functions of plinstlib, the installer helper library: the
// set-up program loads the library and calls these by their plain C names.
// Every function reports its outcome as one of the result codes below. The
// library keeps process-wide state without locks: call it from one thread at
// a time.

#ifdef __cplusplus
extern "C" {
#endif

#define PLINST_EXPORT __attribute__((visibility("default")))

enum {
    PLINST_SUCCESS = 0,
    PLINST_NOT_APPLICABLE = 1,  // not applicable on this system family (never on Linux)
    PLINST_NOT_PRESENT = 2,     // the component is not present
    PLINST_INIT_FAILED = 3,     // initialisation failed (never on Linux)
    PLINST_UNAVAILABLE = 4,     // an interface or method is not available
    PLINST_ACCESS_DENIED = 5,
    PLINST_FAILED = 6,  // any other failure
};

// Disables and stops nmbd.service, the system's NetBIOS name server.
PLINST_EXPORT int DisableMsgSrvc(void);
// Puts `directory` in front of PATH in the system root's etc/environment.
PLINST_EXPORT int AddPathVar(const char* directory);
// Opens the NetBIOS and SMB ports in nftables and lets `imagePath` bind them.
PLINST_EXPORT int SetupFirewall(const char* applicationName, const char* imagePath);
// The last step of SetupFirewall alone, an addition of the Linux library:
// lets `imagePath` bind ports below 1024 (cap_net_bind_service) and touches
// no firewall. A package's post-installation step calls it.
PLINST_EXPORT int GrantBindCapability(const char* imagePath);

// The adapter sequence: OpenNic (must return 0), EnumNic, then NicCount,
// NicName and NicEnable for indices below the count, then CloseNic.
PLINST_EXPORT int OpenNic(void);
PLINST_EXPORT int EnumNic(void);
PLINST_EXPORT int NicCount(void);
// The adapter's display name in the library's buffer, valid until the next
// call; at most 64 bytes.
PLINST_EXPORT const char* NicName(int index);
PLINST_EXPORT int NicEnable(int index);
PLINST_EXPORT void CloseNic(void);

#ifdef __cplusplus
}
#endif
