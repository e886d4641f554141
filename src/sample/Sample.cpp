// The demonstration module's registration.
#include "sample/Sample.h"

#include "cipher/CipherRegistry.h"
#include "hash/HashRegistry.h"
#include "sample/SampleCipher.h"
#include "sample/SampleFormats.h"
#include "sample/SampleHash.h"

namespace velkor {

void RegisterSampleModule() {
    AddHashClass(THash_Sample::Class(), "Sample Hash", "see Unit \"Sample\"");
    AddCipherClass(TCipher_Sample::Class(), "Sample Cipher", "see Unit \"Sample\"");
    AddFormatClasses({TStringFormat_Sample::Class(), TStringFormat_HEXVIEW::Class()});
}

void UnregisterSampleModule() {
    RemoveHashClass(THash_Sample::Class());
    RemoveCipherClass(TCipher_Sample::Class());
    RemoveFormatClass(TStringFormat_Sample::Class());
    RemoveFormatClass(TStringFormat_HEXVIEW::Class());
}

} // namespace velkor
