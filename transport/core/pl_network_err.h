#pragma once
// Failures of the messaging transport. The text names the failed primitive
// ("NBCallAsy3", "NBRecv", "NBSend") where a port raises the error and is
// empty where a messaging client raises it.

#include "platform/pl_error.h"

#include <string>
#include <utility>

class PlNetworkErr : public PlError {
public:
    explicit PlNetworkErr(std::string text = {}) : text_(std::move(text)) {}
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// The remote name could not be reached.
class PlAddrNotFoundErr : public PlNetworkErr {
public:
    using PlNetworkErr::PlNetworkErr;
};

// A session broke while a message was being sent or received.
class PlDataTransmissionErr : public PlNetworkErr {
public:
    using PlNetworkErr::PlNetworkErr;
};

// Any other failure of the network.
class PlUnknownNetworkErr : public PlNetworkErr {
public:
    using PlNetworkErr::PlNetworkErr;
};
