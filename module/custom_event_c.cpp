#include "module/custom_event_c.h"

// Out of line so that the vtable has one home.
custom_event_c::~custom_event_c() = default;
