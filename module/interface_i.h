// Root of every interface that crosses the module boundary.
#ifndef VORLA_INTERFACE_I_H
#define VORLA_INTERFACE_I_H

#include <QtGlobal>

#include <cstring>

// A 16-byte interface id in the Windows GUID layout: the first three groups are
// stored little-endian, the last eight bytes as written. Ids are compared byte-wise.
struct interface_id_t
{
    quint32 data1;
    quint16 data2;
    quint16 data3;
    quint8 data4[8];
};
static_assert(sizeof(interface_id_t) == 16, "interface ids are exactly 16 bytes");

inline bool same_interface_id(const interface_id_t *asked, const interface_id_t &known)
{
    return asked != nullptr && std::memcmp(asked, &known, sizeof(interface_id_t)) == 0;
}

// {FA29F45D-3659-4ECF-B633-8CEA7B9DC899}
inline constexpr interface_id_t iid_interface_i = {
    0xFA29F45D, 0x3659, 0x4ECF, {0xB6, 0x33, 0x8C, 0xEA, 0x7B, 0x9D, 0xC8, 0x99}};

// The host calls every interface by slot position only, so the order of the
// virtual functions in each interface is ABI: never reorder, never insert.
// Interfaces carry no virtual destructor unless their slot table has one; objects
// end through release(), so the destructor is protected.
class interface_i
{
public:
    // Another face of the same object, or null; it adds no owner.
    /* 0 */ virtual void *query_interface(const interface_id_t *id) = 0;
    // Ends the object; only its owner calls it, as each hand-over states.
    /* 1 */ virtual void release() = 0;

protected:
    ~interface_i() = default;
};

// Two interface pointers name the same object when both answer the root id alike.
inline bool same_object(interface_i *a, interface_i *b)
{
    if (a == nullptr || b == nullptr)
        return false;
    return a->query_interface(&iid_interface_i) == b->query_interface(&iid_interface_i);
}

#endif
