#pragma once

class Launcher;

// Single-instance mode ("Single Instance" = "yes"): one running instance per executable path.
// A later launch creates no VM: it forwards its arguments to the running instance, whose main
// class gets them in a static secondaryMain on a thread of its own, and it ends with the reply.
// The state (block, mapping, listener, events) lives in the Launcher.
class SingleInstanceGuard {
public:
    // After the settings are read. The first instance starts its listener; a later one delivers
    // its arguments (one forwarded launch at a time) and then waits in the run step. Any object
    // that cannot be made switches the mode off for an ordinary launch. false: the arguments do
    // not fit or cannot be delivered, and the launch ends with -1.
    static bool Apply(Launcher& launcher);
    // Teardown, before the VM is destroyed: no forwarded launch is taken any more, those that
    // wait for main give up, and a running secondaryMain ends first.
    static void StopForwarding(Launcher& launcher);
    // Teardown, after the VM is destroyed: the block is unmapped, the mapping and the events are
    // closed once no handler can use them.
    static void Release(Launcher& launcher);
};
