#include "export/gbktexts.h"

#include "export/biffwriter.h"

#include <QString>
#include <cstring>

namespace {
constexpr std::size_t FirstSlots = 4096;

// A quick hash of every byte, eight at a time: the texts are short and met once per cell.
std::uint64_t hashOf(std::string_view text) {
    constexpr std::uint64_t Multiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t hash = text.size() * Multiplier;
    const char *at = text.data();
    std::size_t left = text.size();
    for (; left >= 8; at += 8, left -= 8) {
        std::uint64_t word;
        std::memcpy(&word, at, 8);
        hash = (hash ^ word) * Multiplier;
        hash ^= hash >> 29;
    }
    if (left > 0) {
        std::uint64_t word = 0;
        std::memcpy(&word, at, left);
        hash = (hash ^ word) * Multiplier;
        hash ^= hash >> 29;
    }
    return hash ^ (hash >> 32);
}
} // namespace

GbkTexts::GbkTexts(BiffWriter &encoder) : m_encoder(encoder), m_slots(FirstSlots) {}

std::string_view GbkTexts::bytesOf(std::string_view utf8) {
    if (utf8.empty()) return {};
    const std::uint64_t hash = hashOf(utf8);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t index = hash & mask;
    for (;; index = (index + 1) & mask) {
        const Slot &slot = m_slots[index];
        if (!slot.text) break;
        if (slot.hash == hash && slot.textLength == utf8.size() &&
            std::memcmp(slot.text, utf8.data(), utf8.size()) == 0)
            return {m_bytes.data() + slot.bytesStart, slot.bytesLength};
    }
    const QByteArray bytes = m_encoder.gbk(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
    Slot &slot = m_slots[index];
    slot = {hash, utf8.data(), static_cast<std::uint32_t>(utf8.size()), static_cast<std::uint32_t>(m_bytes.size()),
            static_cast<std::uint32_t>(bytes.size())};
    m_bytes.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const std::string_view found(m_bytes.data() + slot.bytesStart, slot.bytesLength);
    if (++m_used * 2 > m_slots.size()) grow();
    return found;
}

void GbkTexts::grow() {
    std::vector<Slot> old(m_slots.size() * 2);
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot &slot : old) {
        if (!slot.text) continue;
        std::size_t index = slot.hash & mask;
        while (m_slots[index].text)
            index = (index + 1) & mask;
        m_slots[index] = slot;
    }
}
