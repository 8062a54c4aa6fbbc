#pragma once
// Root of the exception family through which the transport and the storage
// engine report failures. Thrown by value, caught by reference.

class PlError {
public:
    PlError() = default;
    PlError(const PlError&) = default;
    PlError& operator=(const PlError&) = default;
    virtual ~PlError() = default;
};
