// The process-wide list of cipher classes under their display names and notes, e.g.
// "DES Triple 24byte=", filled with the built-in classes on first use. Lookups by name ignore
// letter case; a name that finds nothing leaves the choice to the default class.
#pragma once

#include "hash/ClassRegistry.h"

#include "cipher/Cipher.h"

#include <string>
#include <string_view>
#include <vector>

namespace velkor {

using TCipherRegistryEntry = TRegistryEntry<TCipherClassRef>; // Text: name + "=" + tail

const std::vector<TCipherRegistryEntry>& CipherRegistry();

// False for a null class. A blank name is made from the class name ("TCipher_3TDES" gives
// "3TDES"). A class registered again has its entry's text replaced in place.
bool AddCipherClass(TCipherClass cipherClass, std::string_view name, std::string_view note);
// Deletes every entry of the class; true when one was deleted.
bool RemoveCipherClass(TCipherClass cipherClass);
// By trimmed class name first ("3TDES", "TCipher_3TDES"), then by display name; none otherwise.
TCipherClass FindCipherClass(std::string_view name);
// The registered name, or the class name without everything up to its first "_".
std::string CipherClassName(TCipherClass cipherClass);
// What follows the first "=" of the class's entry text (trimmed as a whole); empty when the
// class is not registered.
std::string CipherClassNote(TCipherClass cipherClass);

// TCipher_Blowfish, used wherever no cipher class is selected.
TCipherClass DefaultCipherClass();

} // namespace velkor
