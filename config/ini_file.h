#pragma once
// IniFile: the one reader and writer of INI-style files in the launcher
// (launcher.ini, mods_descr.ini, downloaded_mods.ini).
//
// Sections and keys keep their first-insertion order, so a rewritten file keeps
// its layout and every save of the same store writes the same bytes.
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class IniFile {
public:
    // One section: keys in first-insertion order.
    class Section {
    public:
        using Entry = std::pair<std::string, std::string>;
        const std::string* Find(const std::string& key) const;  // nullptr when absent
        void Set(const std::string& key, const std::string& value);
        std::vector<Entry>::const_iterator begin() const { return entries_.begin(); }
        std::vector<Entry>::const_iterator end() const { return entries_.end(); }
        size_t size() const { return entries_.size(); }

    private:
        std::vector<Entry> entries_;
        std::unordered_map<std::string, size_t> index_;
    };

    // false, with the store unchanged, when the file cannot be opened.
    bool Load(const std::string& path);
    // Writes "[name]", "key = value" lines and one empty line per section, LF
    // line ends. Failures are not reported.
    void Save(const std::string& path) const;

    std::string GetString(const std::string& section, const std::string& key, const std::string& def) const;
    // true/yes/1 and false/no/0 in any letter case; anything else gives def.
    bool GetBool(const std::string& section, const std::string& key, bool def) const;
    bool HasSection(const std::string& section) const;
    // The section must exist (test HasSection first); a missing one throws
    // std::out_of_range rather than handing out a dangling reference.
    const Section& GetSection(const std::string& section) const;
    // Stores the value exactly as given, creating section and key as needed.
    void SetValue(const std::string& section, const std::string& key, const std::string& value);
    // Section names in the store's order.
    std::vector<std::string> SectionNames() const;

private:
    std::vector<std::pair<std::string, Section>> sections_;
    std::unordered_map<std::string, size_t> index_;
};
