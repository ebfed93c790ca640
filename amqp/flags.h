// The option bits of channel operations, named after the AMQP fields they set.
#pragma once

namespace AMQP {

constexpr int durable = 0x1;
constexpr int autodelete = 0x2;
constexpr int passive = 0x8;
constexpr int ifunused = 0x10;
constexpr int ifempty = 0x20;
constexpr int nolocal = 0x80;
constexpr int noack = 0x100;
constexpr int exclusive = 0x200;
constexpr int nowait = 0x400;
constexpr int mandatory = 0x800;
constexpr int immediate = 0x1000;
constexpr int multiple = 0x4000;
constexpr int requeue = 0x8000;
constexpr int internal = 0x10000;

} // namespace AMQP
