// tarvex-client: publishes one e-mail message read on standard input to
// RabbitMQ. Exit status: 0 delivered (confirmed by the broker), 75 not
// confirmed (try again later), 65 incomplete input or a message that can
// never pass, 255 failure to start or to prepare the message.
#include "app/application.h"
#include "app/exitstatus.h"
#include "app/options.h"

#include <cstdio>
#include <exception>

int main(int argc, const char* argv[]) {
    try {
        Options options(argc, argv);
        Application application(options);
        application.run();
        return application.status();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        std::fflush(stderr);
        return ExitStatus::software;
    }
}
