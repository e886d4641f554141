// Every hash class of the library, for code that names them directly.
#pragma once

#include "hash/Checksum.h"
#include "hash/Hash.h"
#include "hash/Haval.h"
#include "hash/MAC.h"
#include "hash/MD4Family.h"
#include "hash/MD5.h"
#include "hash/RipeMD.h"
#include "hash/SHA.h"
#include "hash/Sapphire.h"
#include "hash/SquareHash.h"
#include "hash/Tiger.h"
