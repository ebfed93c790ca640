#pragma once
extern "C" int orv_probe_in_process(void);
extern "C" int orv_shadowed(void);
