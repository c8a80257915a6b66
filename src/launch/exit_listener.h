#pragma once

// Receives the VM's exit and abort notifications (service mode only). The VM calls its hooks on
// its own threads, possibly after teardown has begun.
class ExitListener {
public:
    virtual void OnExit(int code) = 0;
    virtual void OnAbort() = 0;

protected:
    ~ExitListener() = default;
};
