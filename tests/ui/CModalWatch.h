#pragma once

// Keeps the window tests from waiting for ever on a dialog: every 100 ms,
// a modal dialog that no test claimed (the progress window during its run
// excepted), or one still open after five seconds, fails the running test
// and is closed.
class CModalWatch {
public:
    // Started by main once the application exists.
    static void Start();
    // While above 0, a test is ready to answer an alert itself.
    static int m_claimCount;
};
