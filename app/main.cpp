// tarvex-client: publishes one e-mail message read on standard input to
// RabbitMQ. Exit status: 0 delivered (confirmed by the broker), 75 not
// confirmed (try again later), 65 incomplete input or a message that can
// never pass, 255 failure to start or to prepare the message.
#include "app/application.h"
#include "app/exitstatus.h"
#include "app/options.h"
#include "app/plaintext.h"

#include <signal.h>

#include <cstdio>
#include <exception>

int main(int argc, const char* argv[]) {
    // Ignored for the whole run: a write to a standard error whose reader is
    // gone (or a stray SIGPIPE) fails with EPIPE instead of ending the client
    // by the signal, and the exit status keeps saying what became of the
    // message.
    signal(SIGPIPE, SIG_IGN);
    try {
        Options options(argc, argv);
        Application application(options);
        application.run();
        return application.status();
    } catch (const std::exception& error) {
        // it may echo an argument: control bytes are shown escaped
        std::fprintf(stderr, "%s\n", PlainText::shown(error.what()).c_str());
        std::fflush(stderr);
        return ExitStatus::software;
    }
}
