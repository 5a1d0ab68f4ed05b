#include "store/IniNameIndex.h"

#include <utility>

void IniNameIndex::reset(qsizetype expected)
{
    qsizetype size = 16;
    while (size < expected * 2)
        size *= 2;
    m_slots.fill(Slot(), size);
    m_count = 0;
}

size_t IniNameIndex::mix(size_t hash, int group)
{
    // A section's keys must not cluster around the same slots as the keys of its neighbours.
    quint64 h = quint64(hash) ^ (quint64(quint32(group)) * 0x9E3779B97F4A7C15ULL);
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    return size_t(h);
}

void IniNameIndex::insert(size_t hash, int group, int value)
{
    // Kept at most half full, so that a probe for a missing name ends soon.
    if ((m_count + 1) * 2 > m_slots.size()) {
        const QVector<Slot> old = std::exchange(m_slots, QVector<Slot>());
        m_slots.fill(Slot(), qMax<qsizetype>(16, old.size() * 2));
        for (const Slot& slot : old) {
            if (slot.value >= 0)
                place(slot);
        }
    }
    place(Slot{quint32(mix(hash, group)), value});
    ++m_count;
}

void IniNameIndex::place(const Slot& slot)
{
    const size_t mask = size_t(m_slots.size()) - 1;
    size_t i = slot.hash & mask;
    while (m_slots[qsizetype(i)].value >= 0)
        i = (i + 1) & mask;
    m_slots[qsizetype(i)] = slot;
}

void IniNameIndex::shiftFrom(int from)
{
    for (Slot& slot : m_slots) {
        if (slot.value >= from)
            ++slot.value;
    }
}
