// The program's settings, kept between runs in an INI file under the user's
// configuration folder: $XDG_CONFIG_HOME/<maker>/Kelvane.ini, or
// ~/.config/<maker>/Kelvane.ini. Values are read from memory; Save writes the
// whole file at once (a temporary file of its own, then rename), through a
// symbolic link to the file it leads to, under an exclusive lock of the
// folder, over the file as it is then: programs of one account that save in
// turn keep each other's changes.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kv {

class CProfileSettings {
  public:
    // The file of the maker's key; nothing is read until Load.
    void SetRegistryKey(const std::string& maker);
    const std::string& GetRegistryKey() const { return maker_; }
    std::string GetFilePath() const;
    // Another file, for tools and tests; empty returns to the maker's file.
    void SetFilePath(const std::string& path) { pathOverride_ = path; }

    // Reads the file; a missing file is an empty one. False only when the
    // file exists and cannot be read, with the system's text in the error.
    bool Load(std::string* error = nullptr);
    // Whether the file exists and is not to be written: no write permission
    // for anyone, or none for this user.
    bool IsReadOnly() const;
    // Reads the file again and writes it with the values this program
    // changed since Load; false with the system text in the error.
    bool Save(std::string& error) const;
    void Clear() {
        sections_.clear();
        changed_.clear();
        lists_.clear();
    }

    int GetProfileInt(const std::string& section, const std::string& key, int defaultValue) const;
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const;
    void WriteProfileInt(const std::string& section, const std::string& key, int value);
    void WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value);

    // A list kept as the keys <prefix>1 .. <prefix><capacity> of a section,
    // unused places empty; read without empty and repeated entries. The list
    // is one value: Save puts this program's list first, then the entries
    // other programs saved since Load that it lacks, at most capacity. An
    // entry this program dropped since Load stays dropped.
    std::vector<std::string> GetProfileList(const std::string& section, const std::string& prefix,
                                            std::size_t capacity) const;
    void WriteProfileList(const std::string& section, const std::string& prefix,
                          const std::vector<std::string>& values, std::size_t capacity);

    // The file's text as Save writes it.
    std::string Format() const;
    void Parse(const std::string& text);

  private:
    const std::string* Find(const std::string& section, const std::string& key) const;
    // Stores a value without counting it as changed.
    void Set(const std::string& section, const std::string& key, const std::string& clean);
    // Stores a list's keys, every place up to the capacity, likewise.
    void SetList(const std::string& section, const std::string& prefix,
                 const std::vector<std::string>& values, std::size_t capacity);

    std::string maker_ = "Orvanti";
    std::string pathOverride_;
    // Sections and keys in the order they first appeared.
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections_;
    // The keys WriteProfileString gave a new value since Load.
    std::set<std::pair<std::string, std::string>> changed_;
    // The lists WriteProfileList wrote since Load, by section, with the list
    // as Load found it.
    struct WrittenList {
        std::string prefix;
        std::size_t capacity = 0;
        std::vector<std::string> loaded;
        std::vector<std::string> values;
    };
    std::map<std::string, WrittenList> lists_;
};

// The program's one settings store.
CProfileSettings& GetAppProfile();

}  // namespace kv
