// Code page 1250, the 8-bit character set of every text inside the program. Texts are CP1250
// byte strings everywhere; only the window converts, when it reads a field or shows a line.
#pragma once

#include "base/Bytes.h"

#include <string>
#include <string_view>

namespace velkor {

// CP1250 bytes to UTF-8. Bytes that the code page leaves undefined map to the C1 control of
// the same value, so every byte string converts and converts back unchanged.
std::string Cp1250ToUtf8(BytesView text);

// UTF-8 to CP1250 bytes; characters the code page lacks, and malformed UTF-8, become "?".
Bytes Utf8ToCp1250(std::string_view utf8);

// A Czech literal written readably in UTF-8 source, as the CP1250 bytes the program uses:
// Cz("--- KONEC SPOJENÍ ---") holds the byte CD for "Í".
inline Bytes Cz(std::string_view utf8) {
    return Utf8ToCp1250(utf8);
}

} // namespace velkor
