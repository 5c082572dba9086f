// The growing buffer behind a list's columns: values kept through every growth, past the size from
// which it maps its own pages too, through moves and a clear that keeps the room.
#include "store/growbuffer.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <utility>

TEST(GrowBuffer, KeepsEveryValueThroughGrowthMovesAndClears) {
    GrowBuffer<std::uint32_t> numbers;
    GrowBuffer<char> bytes;
    // Far past the mapped size, so that both kinds of storage and the change between them are met.
    const std::uint32_t count = 3 * growbuffer::MappedBytes / sizeof(std::uint32_t) + 7;
    for (std::uint32_t i = 0; i < count; ++i) {
        numbers.push_back(i * 2654435761u);
        const char text[] = {char('a' + i % 26), char('0' + i % 10)};
        bytes.append(text, 1 + i % 2);
    }
    ASSERT_EQ(numbers.size(), count);
    ASSERT_GE(numbers.capacity(), count);
    std::uint32_t wrong = 0;
    std::size_t at = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        wrong += numbers[i] != i * 2654435761u;
        wrong += bytes[at] != char('a' + i % 26);
        if (i % 2) wrong += bytes[at + 1] != char('0' + i % 10);
        at += 1 + i % 2;
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(bytes.size(), at);

    GrowBuffer<std::uint32_t> moved(std::move(numbers));
    EXPECT_EQ(numbers.size(), 0u);
    EXPECT_EQ(moved.size(), count);
    EXPECT_EQ(moved[count - 1], (count - 1) * 2654435761u);
    numbers = std::move(moved);
    EXPECT_EQ(numbers[12345], 12345u * 2654435761u);

    const std::size_t room = numbers.capacity();
    numbers.clear();
    EXPECT_TRUE(numbers.empty());
    EXPECT_EQ(numbers.capacity(), room) << "the room stays for the next load";
    numbers.assign(5, 9);
    EXPECT_EQ(numbers.size(), 5u);
    EXPECT_EQ(numbers[4], 9u);
    numbers.assign(count + 100, 1); // grows a mapped buffer where it is
    EXPECT_EQ(numbers[count + 99], 1u);
}
