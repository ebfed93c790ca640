// What became of the one message, as the exit status the caller sees: 0
// only when the broker confirmed it and did not return it, 75 (try again
// later) when it may not have arrived, 65 when the input was incomplete or
// the message can never be accepted as it is.
#pragma once

class ExitStatus {
public:
    // The statuses, named as in sysexits.h.
    static constexpr int ok = 0;
    static constexpr int dataError = 65;
    static constexpr int tempFail = 75;
    // What main returns when an exception ends the run.
    static constexpr int software = 255;

    // The broker acknowledged the publication.
    void acknowledged() { _acknowledged = true; }
    // The broker nacked or returned it, it was lost to an error, or it could
    // not be sent; whatever the broker says afterwards, it is not delivered.
    void refused() { _refused = true; }
    // Refused for what the message is (too large for the broker): trying
    // again can never succeed.
    void rejected() {
        _refused = true;
        _rejected = true;
    }
    // Input ended without the line holding a single dot.
    void truncated() { _truncated = true; }

    // The broker has had its final say: it acknowledged or refused.
    bool settled() const { return _acknowledged || _refused; }
    // The input ended without the dot line: nothing is published.
    bool incomplete() const { return _truncated; }
    // Confirmed and not refused: the one way to success.
    bool delivered() const { return _acknowledged && !_refused; }

    int value() const {
        if (_truncated || _rejected) return dataError;
        return delivered() ? ok : tempFail;
    }

private:
    bool _acknowledged = false;
    bool _refused = false;
    bool _truncated = false;
    bool _rejected = false;
};
