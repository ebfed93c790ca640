#include "amqp/clientproperties.h"

#include "amqp/platformname.h"
#include "amqp/programname.h"
#include "amqp/values/booleanset.h"
#include "amqp/values/table.h"

namespace AMQP {

namespace {

void fallback(Table& properties, const char* key, const char* value) {
    if (!properties.contains(key)) properties.set(key, value);
}

} // namespace

void ClientProperties::complete(Table& properties) {
    fallback(properties, "version", "Brisklet 4.3.27");
    fallback(properties, "copyright", "Copyright Orvanta, maker of the Brisklet AMQP library");
    fallback(properties, "information", "https://orvanta.example/brisklet");
    if (!properties.contains("capabilities")) {
        Table capabilities;
        capabilities.set("authentication_failure_close", BooleanSet(true));
        capabilities.set("consumer_cancel_notify", BooleanSet(true));
        capabilities.set("connection.blocked", BooleanSet(true));
        properties.set("capabilities", capabilities);
    }
    ProgramName program;
    fallback(properties, "product", program);
    fallback(properties, "connection_name", program);
    fallback(properties, "platform", PlatformName());
}

} // namespace AMQP
