// The registry's table of built-in cipher classes. Adding an algorithm is its file plus one
// line here, at its place in the table.
#include "cipher/CipherList.h"

#include "cipher/Blowfish.h"
#include "cipher/Cast.h"
#include "cipher/DES.h"
#include "cipher/DESX.h"
#include "cipher/Gost.h"
#include "cipher/IDEA.h"
#include "cipher/NewDES.h"
#include "cipher/RC2.h"
#include "cipher/RC4.h"
#include "cipher/RC5.h"
#include "cipher/RC6.h"
#include "cipher/Rijndael.h"
#include "cipher/Safer.h"
#include "cipher/Sapphire.h"
#include "cipher/Skipjack.h"
#include "cipher/Square.h"
#include "cipher/TEA.h"
#include "cipher/ThreeWay.h"
#include "cipher/Twofish.h"
#include "cipher/XTEA.h"

namespace velkor {

// "Q128", "SCOP", "Shark", "Diamond II", "Diamond II Lite", "FROG", "Mars" and "Misty 1" have
// no class yet: their designers' tables could not be taken from a publication, and a guessed
// table would be another cipher under their name. Their names select the default class.
void RegisterBuiltInCipherClasses(const TRegisterCipherClass& add) {
    add(TCipher_3Way::Class(), "3Way", "");
    add(TCipher_Blowfish::Class(), "Blowfish", "");
    add(TCipher_Gost::Class(), "Gost", "");
    add(TCipher_IDEA::Class(), "IDEA", "free for non-commercial");
    add(TCipher_SAFER_K40::Class(), "SAFER-K40", "");
    add(TCipher_SAFER_SK40::Class(), "SAFER-SK40", "Keyscheduling");
    add(TCipher_SAFER_K64::Class(), "SAFER-K64", "");
    add(TCipher_SAFER_SK64::Class(), "SAFER-SK64", "Keyscheduling");
    add(TCipher_SAFER_K128::Class(), "SAFER-K128", "");
    add(TCipher_SAFER_SK128::Class(), "SAFER-SK128", "Keyscheduling");
    add(TCipher_Square::Class(), "Square", "");
    add(TCipher_TEA::Class(), "TEA", "");
    add(TCipher_TEAN::Class(), "TEA extended", "");
    add(TCipher_Twofish::Class(), "Twofish", "");
    add(TCipher_Cast128::Class(), "Cast 128", "");
    add(TCipher_Cast256::Class(), "Cast 256", "Patented");
    add(TCipher_1DES::Class(), "DES Single 8byte", "");
    add(TCipher_2DES::Class(), "DES Double 8byte", "");
    add(TCipher_2DDES::Class(), "DES Double 16byte", "");
    add(TCipher_3DES::Class(), "DES Triple 8byte", "");
    add(TCipher_3DDES::Class(), "DES Triple 16byte", "");
    add(TCipher_3TDES::Class(), "DES Triple 24byte", "");
    add(TCipher_DESX::Class(), "DESX", "Copyright RSA Data Security");
    add(TCipher_NewDES::Class(), "NewDES", "");
    add(TCipher_RC2::Class(), "RC2", "");
    add(TCipher_RC4::Class(), "RC4", "Patented by RSA");
    add(TCipher_RC5::Class(), "RC5", "Patented by RSA");
    add(TCipher_RC6::Class(), "RC6", "Patented by RSA");
    add(TCipher_Rijndael::Class(), "Rijndael", "");
    add(TCipher_Sapphire::Class(), "Sapphire II", "");
    add(TCipher_Skipjack::Class(), "Skipjack", "");
}

} // namespace velkor
