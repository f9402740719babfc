#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace karvola {

// Holds the text under analysis; how the text is obtained is up to the derived class.
class DataAcquisitorBasic {
public:
    virtual ~DataAcquisitorBasic() = default;

    // Obtains the data from the given source text.
    virtual void Acquire(std::string_view source) = 0;

    [[nodiscard]] const std::string& data() const { return m_data; }

protected:
    DataAcquisitorBasic() = default;
    DataAcquisitorBasic(const DataAcquisitorBasic&) = default;
    DataAcquisitorBasic(DataAcquisitorBasic&&) = default;
    DataAcquisitorBasic& operator=(const DataAcquisitorBasic&) = default;
    DataAcquisitorBasic& operator=(DataAcquisitorBasic&&) = default;

    std::string m_data;
};

// The source text is the data itself.
class DirectDataAcquisitor : public DataAcquisitorBasic {
public:
    void Acquire(std::string_view source) override;
};

// Reads the values that lie between a prefix and a suffix mask (MaskMatch's
// language) from left to right: each Analyse starts where the previous one
// left off. Acquire leaves the position alone; the caller sets it to 0 for a
// new text.
template <typename Acquisitor>
class DataAnalyser final : public Acquisitor {
public:
    void SetPosition(std::int32_t position) { m_position = position; }
    // Refuse a mask that begins or ends with "*" and keep the old one.
    void SetPrefixMask(std::string_view mask);
    void SetSuffixMask(std::string_view mask);
    // What a value must match; empty accepts every value.
    void SetContentMask(std::string_view mask) { m_contentMask = mask; }

    // The next value, "" when there is none. Strict mode raises a missing
    // suffix and a value outside the content mask; both modes raise empty masks.
    std::string Analyse(bool strict);

    // Where the next search starts; -1 until set.
    [[nodiscard]] std::int32_t position() const { return m_position; }

private:
    // Moves m_position to the first place at or after it where the data begins
    // with a match of the pattern; false, and m_position at the end, when none.
    bool search(std::string_view pattern);

    std::int32_t m_position = -1;
    std::string m_prefixMask;
    std::string m_suffixMask;
    std::string m_contentMask;
};

extern template class DataAnalyser<DirectDataAcquisitor>;

}  // namespace karvola
