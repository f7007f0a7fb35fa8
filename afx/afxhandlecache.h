// The look-up cache of the layer's window procedure: which permanent object a window has, kept per
// thread so that a message does not cost a round trip to the window server (under Wine reading a
// window property is one, tens of microseconds). Windows-free, so that its rules are tested
// natively; afxwnd.cpp keeps one per thread and decides when it holds.
//   AfxHandleCache
#pragma once
#include <stdint.h>

// A direct-mapped cache from window handles (as integers) to objects, valid for one generation of
// the module's attachments. Only windows that have an object are remembered: a handle the cache
// does not know is looked up again. The module bumps its generation whenever a remembered answer
// may have become wrong (an object let go of its window; see afxwnd.cpp); a cache that meets a
// newer generation forgets everything first.
//
// Slots: handles of the windows a dialog makes one after another differ by small steps in their
// low bits (Wine and Windows both step by 2), so the slot is taken from those bits, mixed with the
// high word; up to kSlots windows made in a row never share a slot.
template <class Object>
class AfxHandleCache {
public:
    static const int kSlots = 64;

    // The slot of a handle.
    static int Slot(uintptr_t handle)
    {
        const uintptr_t mixed = (handle >> 1) ^ (handle >> 17);
        return static_cast<int>(mixed & static_cast<uintptr_t>(kSlots - 1));
    }

    // The object remembered for handle under generation, or null when none is (the caller then
    // asks the window itself). A cache of an older generation is emptied first.
    Object* Find(uintptr_t handle, long generation)
    {
        Renew(generation);
        const int slot = Slot(handle);
        return m_handles[slot] == handle && handle != 0 ? m_objects[slot] : nullptr;
    }

    // Remembers object as handle's under generation (null objects are not remembered, and the
    // slot's earlier handle is then kept). A cache of an older generation is emptied first.
    void Remember(uintptr_t handle, Object* object, long generation)
    {
        Renew(generation);
        if (object == nullptr || handle == 0)
            return;
        const int slot = Slot(handle);
        m_handles[slot] = handle;
        m_objects[slot] = object;
    }

private:
    void Renew(long generation)
    {
        if (generation == m_generation)
            return;
        for (int i = 0; i < kSlots; ++i) {
            m_handles[i] = 0;
            m_objects[i] = nullptr;
        }
        m_generation = generation;
    }

    long m_generation = -1;
    uintptr_t m_handles[kSlots] = {};
    Object* m_objects[kSlots] = {};
};
