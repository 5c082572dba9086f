#pragma once
// The GBK bytes of the non-ASCII texts met while a sheet is written, each encoded once: a shop's list
// repeats its names, categories and customers thousands of times. Texts are looked up by their UTF-8
// bytes, which point into the rows and must stay as they are while the table is in use.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class BiffWriter;

class GbkTexts {
  public:
    explicit GbkTexts(BiffWriter &encoder);
    // The GBK bytes of a text as the writer's text cells hold them, valid until the next call.
    std::string_view bytesOf(std::string_view utf8);

  private:
    struct Slot {
        std::uint64_t hash = 0;
        const char *text = nullptr; // nullptr: empty slot
        std::uint32_t textLength = 0;
        std::uint32_t bytesStart = 0; // into m_bytes
        std::uint32_t bytesLength = 0;
    };
    void grow();

    BiffWriter &m_encoder;
    std::vector<Slot> m_slots; // open addressing, a power of two in size, at most half full
    std::size_t m_used = 0;
    std::string m_bytes;
};
