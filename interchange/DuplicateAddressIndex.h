#pragma once
// The stream addresses already taken, for finding duplicates: two addresses are the same when
// they are equal after trimming, with the scheme and host compared without letter case and one
// trailing "/" ignored ("HTTP://Radio.Example/live/" is "http://radio.example/live").

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

class TClientDataSet;

// The form two addresses are compared in: trimmed, the part up to the end of the host (scheme,
// "://", user information, host, port) in lower case, the path and query as they are, one
// trailing "/" removed.
std::u16string addressKey(std::u16string_view address);

class DuplicateAddressIndex {
  public:
    // Adds the address; false when an address with the same key was there already.
    bool insert(std::u16string_view address);
    bool contains(std::u16string_view address) const;
    std::size_t size() const { return FKeys.size(); }
    // Makes room for `count` addresses in all, so that a large import does not rehash as it goes.
    void reserve(std::size_t count) { FKeys.reserve(count); }

    // Adds the "电台地址" of every station of an open table (one that lacks the field adds
    // nothing). The table must be in browse state; its current record is the same afterwards.
    void addTable(TClientDataSet& table);

  private:
    std::unordered_set<std::u16string> FKeys;
};
