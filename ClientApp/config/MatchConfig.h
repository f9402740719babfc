#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "common/FileSystem.h"

namespace karvola {

// The user's environment kept between runs in karvola_config.xml in the
// application directory: read once when built, written once by SaveConfiguration.
class MatchConfig final {
public:
    static constexpr const char* kFileName = "karvola_config.xml";
    static constexpr const char* kDefaultBndValue = "12";
    static constexpr const char* kDefaultResultPeResultOptions = "110000111110";

    // Reads the file; a missing or unreadable one leaves every value at its default.
    MatchConfig(std::filesystem::path applicationDirectory, FileSystem& files, const Clock& clock);

    // Writes the file; false when it cannot be written (it then stays as it was).
    [[nodiscard]] bool SaveConfiguration() const;

    [[nodiscard]] std::string GetWorkDirectory() const { return m_workDirectory; }
    [[nodiscard]] std::string GetDefaultBase() const { return m_defaultBase; }
    [[nodiscard]] std::string GetUIDKey() const { return m_uidKey; }
    [[nodiscard]] std::string GetDataSource() const { return m_dataSource; }
    [[nodiscard]] std::string GetResultPeResultOptions() const { return m_resultPeResultOptions; }
    // The text shown by the main window's BND% label, as read from the file.
    [[nodiscard]] std::string GetBNDValue() const { return m_bndValue; }
    // Throws std::logic_error "Invalid timezone." when the text is not a whole number.
    [[nodiscard]] int GetTimeZoneBias() const;
    [[nodiscard]] const std::vector<std::string>& leakOfResultSpecificators() const {
        return m_leakOfResultSpecificators;
    }
    [[nodiscard]] const std::string& memorizeUID() const { return m_memorizeUID; }
    [[nodiscard]] const std::string& timeZoneBiasText() const { return m_timeZoneBias; }
    // A line for the user when the file could be read only in part (broken XML), else empty.
    // What was wrong with the file as it was read, one warning line each.
    [[nodiscard]] const std::vector<std::string>& loadProblems() const { return m_loadProblems; }

    void SetDefaultBase(std::string value) { m_defaultBase = std::move(value); }
    void SetUIDKey(std::string value) { m_uidKey = std::move(value); }
    void SetDataSource(std::string value) { m_dataSource = std::move(value); }
    void SetResultPeResultOptions(std::string value) { m_resultPeResultOptions = std::move(value); }
    void SetBNDValue(std::string value) { m_bndValue = std::move(value); }
    void SetTimeZoneBias(int hours);

    // Hours between UTC and local time now: the current time broken down as UTC and
    // read back as local time, the difference truncated toward zero.
    static int LocalTimeZoneHours(const Clock& clock);

private:
    void LoadConfiguration();

    std::filesystem::path m_applicationDirectory;
    FileSystem& m_files;
    std::string m_workDirectory;
    std::string m_defaultBase;
    std::vector<std::string> m_leakOfResultSpecificators;
    std::string m_uidKey;
    std::string m_memorizeUID;
    std::string m_timeZoneBias;
    std::string m_dataSource;
    std::string m_resultPeResultOptions;
    std::string m_bndValue;
    std::vector<std::string> m_loadProblems;
};

}  // namespace karvola
