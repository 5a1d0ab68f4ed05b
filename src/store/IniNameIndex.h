#pragma once

#include <QVector>

// Numbers (sections, lines) found by the hash of a name within a group, without storing the names:
// the caller keeps them in its own text and tells equal ones apart, so building the index of a
// large file allocates nothing per name. Open addressing with linear probing; a slot holds only
// part of the hash and not the group, eight bytes, so that the index stays small beside the file.
class IniNameIndex
{
public:
    // Empties the index and makes room for about `expected` names.
    void reset(qsizetype expected);
    // The number stored for the name, or -1; `same(number)` says whether that number's name is the
    // one sought and whether the number lies in the group.
    template <typename Same> int find(size_t hash, int group, Same same) const
    {
        if (m_slots.isEmpty())
            return -1;
        const size_t mask = size_t(m_slots.size()) - 1;
        const size_t mixed = mix(hash, group);
        for (size_t i = mixed & mask;; i = (i + 1) & mask) {
            const Slot& slot = m_slots[qsizetype(i)];
            if (slot.value < 0)
                return -1;
            if (slot.hash == quint32(mixed) && same(slot.value))
                return slot.value;
        }
    }
    void insert(size_t hash, int group, int value);
    // Moves every stored number from `from` on up by one, for a line put in before them.
    void shiftFrom(int from);

private:
    struct Slot
    {
        quint32 hash = 0;
        int value = -1; // -1 marks a free slot
    };

    static size_t mix(size_t hash, int group);
    void place(const Slot& slot);

    QVector<Slot> m_slots;
    qsizetype m_count = 0;
};
