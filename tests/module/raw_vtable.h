// Calls a virtual function by its slot index, the way the host does: read the
// object's virtual table and call entry `slot` with the object as first argument.
// A declaration whose slots shifted by one calls the wrong function and fails.
#ifndef VORLA_TESTS_RAW_VTABLE_H
#define VORLA_TESTS_RAW_VTABLE_H

template <typename R, typename... Args>
R call_slot(void *object, int slot, Args... args)
{
    void **table = *static_cast<void ***>(object);
    using function_t = R (*)(void *, Args...);
    return reinterpret_cast<function_t>(table[slot])(object, args...);
}

#endif
