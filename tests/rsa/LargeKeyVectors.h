// Key pairs and cipher texts for 1024- and 2048-bit keys, computed with Python's own integers by
//   tools/make_keypair.py --bits 1024 --encipher "" --encipher 00ff10
//   tools/make_keypair.py --bits 2048 --encipher "" --encipher <300 bytes of AA>
// so that the larger block sizes are checked against a computation independent of this code.
#pragma once

#include "rsa/RSA.h"

#include <string>

namespace velkor::test {

struct LargeKeyVector {
    TKeyBits Bits;
    const char* PublicKey;
    const char* PrivateKey;
    std::string In; // hex
    const char* Out;
};

inline const LargeKeyVector kLargeKeyVectors[] = {
    {TKeyBits::kb1024,
     "++2++E:nADUomEig6PDgar0rLLYw71auGV7KDL8WJhJGpxZs1LO16sAbiDof6Y8-sMXyEB6vPJyGGRsxgSnkG9mY"
     "JbcGaeWgrKAsvoz2tNFVmGV466m0Fnr24f62l-6WLcvU5XpsRkvoOaTNc+7g1zRtCgggJm+WVKgIC0SZiKOBQCow"
     "Bk",
     "nADUomEig6PDgar0rLLYw71auGV7KDL8WJhJGpxZs1LO16sAbiDof6Y8-sMXyEB6vPJyGGRsxgSnkG9mYJbcGaeW"
     "grKAsvoz2tNFVmGV466m0Fnr24f62l-6WLcvU5XpsRkvoOaTNc+7g1zRtCgggJm+WVKgIC0SZiKOBQCowBk:Ga4W"
     "mJYEbHcTU03wFMT5NLDxRFY-vhmm-73GR8cd2uHsaTtWxFs7wNQco-nO4zqVyknxtQcqayfSqc1cM8L1yaGmgPdI"
     "XPw++idzTxqEcpRCREYRR+6brG3tqVTC-bbhTlAlpGcslY-9HiIFfrghHv336LzjyP0ipAixosQ3OzA",
     "",
     "eSiuIqMCf3hXYYaEMojWHfd11M7JuKOVv1fh2bVu0TqCxmuEITbPmyNSPTzOZglESF7qsgm8fY-+JBaN9aJXohTr"
     "yPrTQHtSs0GnU8mq7zCabDukQVcCVHqyfNvJktM8jJiPpLlARKYRGOsFhlzU7OVOenNEr5ll2v8Iv3feOq+"},
    {TKeyBits::kb1024,
     "++2++E:nADUomEig6PDgar0rLLYw71auGV7KDL8WJhJGpxZs1LO16sAbiDof6Y8-sMXyEB6vPJyGGRsxgSnkG9mY"
     "JbcGaeWgrKAsvoz2tNFVmGV466m0Fnr24f62l-6WLcvU5XpsRkvoOaTNc+7g1zRtCgggJm+WVKgIC0SZiKOBQCow"
     "Bk",
     "nADUomEig6PDgar0rLLYw71auGV7KDL8WJhJGpxZs1LO16sAbiDof6Y8-sMXyEB6vPJyGGRsxgSnkG9mYJbcGaeW"
     "grKAsvoz2tNFVmGV466m0Fnr24f62l-6WLcvU5XpsRkvoOaTNc+7g1zRtCgggJm+WVKgIC0SZiKOBQCowBk:Ga4W"
     "mJYEbHcTU03wFMT5NLDxRFY-vhmm-73GR8cd2uHsaTtWxFs7wNQco-nO4zqVyknxtQcqayfSqc1cM8L1yaGmgPdI"
     "XPw++idzTxqEcpRCREYRR+6brG3tqVTC-bbhTlAlpGcslY-9HiIFfrghHv336LzjyP0ipAixosQ3OzA",
     "00ff10",
     "kV2ZrX82tCbGGkGsMYR9eMh3RFfC6qTkE1OE4Xrpn0ClejnjCB5MZlfG1YN8yt+KKPafBve8lo1wzrjvjoGOZWGd"
     "rGe397Ty8sJ1SBBAEI0Bewh1nZdkMdmhgZjfePFkF76MqaigZayCW6KOq4plwT-kitxEyek6tSSPXVkRiWI"},
    {TKeyBits::kb2048,
     "++2++E:1rUuSK2CQcCWgCa+L79xqS3oYUq3dZN1bHkAk15D-BamwECdlQPTTZV9SoVUgJ-cbrDy1S55xKGda7FyF"
     "74WTh7P15eVtccl+7D7VIthCQjIG87jSAZUXNW60tMm-l8ixbJRtWsYE7lcj5O-LXa1s2Vv9X0kI0ELX9PWYkP4v"
     "u8S0jaIng+siR8VaDjicy31zPwVyXO3T7rK+jAr1H-X+HzZgUHj4Od+eZtHHKeD8joc0WbfWFeg11WwKrJSA7zFf"
     "HLJkV0FUH0sYJ1fAG295N2kj9LPSFXvCaJ7GnwEjSSUbrcDppd04hTokQPfkPRVZWodoiw+MpY5DbPoppRN8+",
     "1rUuSK2CQcCWgCa+L79xqS3oYUq3dZN1bHkAk15D-BamwECdlQPTTZV9SoVUgJ-cbrDy1S55xKGda7FyF74WTh7P"
     "15eVtccl+7D7VIthCQjIG87jSAZUXNW60tMm-l8ixbJRtWsYE7lcj5O-LXa1s2Vv9X0kI0ELX9PWYkP4vu8S0jaI"
     "ng+siR8VaDjicy31zPwVyXO3T7rK+jAr1H-X+HzZgUHj4Od+eZtHHKeD8joc0WbfWFeg11WwKrJSA7zFfHLJkV0F"
     "UH0sYJ1fAG295N2kj9LPSFXvCaJ7GnwEjSSUbrcDppd04hTokQPfkPRVZWodoiw+MpY5DbPoppRN8+:SyiQ+GZZW"
     "GjZo5mval2ms6zgKKRxYpkG5x7W-aawywTV5prwpxYgKT3Ymicd+eHj3kTC-gDV0N02txW6CHGYMWyRG1aHXYakH"
     "5nsMVq8mDGFseoQWFKghJW9hlc2SnMEoR7NFfYduU2u0S82m+blO19BwJQtcZGlCySL46Ix1jw5IN87v+IrMDeo5"
     "gqb4IfpI6Peo8pyrCEu0UaVLffK-fRKBAKMC8x698Bq5BTtGdYHRuNjAZvp7hmr0fJZnU8HHs-IlBJSSlf4RoNYg"
     "F54nwowIFXdduv5H7zGmZsTIxwi62v5BOCXdEwsx4VXEjojx7AqfTiABpZvjNrpAwnmG+",
     "",
     "xFOXra-9gFzZwldKNbw5hl-qCEjlkkqGU4dLxdZWJEhDtVoDUPxjshJ2COZLkkIGJlxjJ9JbW7JgH3dFGJduaWpJ"
     "9gGsxvU4diYq0YqLRl4TgrXBGdqoe-TMs1n1kBlLFHqrvTAGUjXFPoYSoW66fI6zwaZOVM8M1iSkDSUPuOJjBIME"
     "QzQ8snJU+Uy8sKsmz6-1lkbB7hQKr8LHREfknP8f91X0NZIYQlc36gMfssSh+yPk4uu+CbSepQCn8FhKOx0daGd5"
     "fnNeQiTQUbi4cNKJlY6BqR3Uy9TYJ1kXHb2AbrE9vjI3HF8WwDUGsBeO8JxJt+ZFrGYVM3coGlOBCE"},
    {TKeyBits::kb2048,
     "++2++E:1rUuSK2CQcCWgCa+L79xqS3oYUq3dZN1bHkAk15D-BamwECdlQPTTZV9SoVUgJ-cbrDy1S55xKGda7FyF"
     "74WTh7P15eVtccl+7D7VIthCQjIG87jSAZUXNW60tMm-l8ixbJRtWsYE7lcj5O-LXa1s2Vv9X0kI0ELX9PWYkP4v"
     "u8S0jaIng+siR8VaDjicy31zPwVyXO3T7rK+jAr1H-X+HzZgUHj4Od+eZtHHKeD8joc0WbfWFeg11WwKrJSA7zFf"
     "HLJkV0FUH0sYJ1fAG295N2kj9LPSFXvCaJ7GnwEjSSUbrcDppd04hTokQPfkPRVZWodoiw+MpY5DbPoppRN8+",
     "1rUuSK2CQcCWgCa+L79xqS3oYUq3dZN1bHkAk15D-BamwECdlQPTTZV9SoVUgJ-cbrDy1S55xKGda7FyF74WTh7P"
     "15eVtccl+7D7VIthCQjIG87jSAZUXNW60tMm-l8ixbJRtWsYE7lcj5O-LXa1s2Vv9X0kI0ELX9PWYkP4vu8S0jaI"
     "ng+siR8VaDjicy31zPwVyXO3T7rK+jAr1H-X+HzZgUHj4Od+eZtHHKeD8joc0WbfWFeg11WwKrJSA7zFfHLJkV0F"
     "UH0sYJ1fAG295N2kj9LPSFXvCaJ7GnwEjSSUbrcDppd04hTokQPfkPRVZWodoiw+MpY5DbPoppRN8+:SyiQ+GZZW"
     "GjZo5mval2ms6zgKKRxYpkG5x7W-aawywTV5prwpxYgKT3Ymicd+eHj3kTC-gDV0N02txW6CHGYMWyRG1aHXYakH"
     "5nsMVq8mDGFseoQWFKghJW9hlc2SnMEoR7NFfYduU2u0S82m+blO19BwJQtcZGlCySL46Ix1jw5IN87v+IrMDeo5"
     "gqb4IfpI6Peo8pyrCEu0UaVLffK-fRKBAKMC8x698Bq5BTtGdYHRuNjAZvp7hmr0fJZnU8HHs-IlBJSSlf4RoNYg"
     "F54nwowIFXdduv5H7zGmZsTIxwi62v5BOCXdEwsx4VXEjojx7AqfTiABpZvjNrpAwnmG+",
     std::string(600, 'A'),
     "HG8MNR60doDumTb+lVrVtJ3FnVyVWWVl+i2O0Ha-luuHgrF1OfiClYLaoCu1-6opWDRmGR-Y4ZgKSpnt92ayeB1Z"
     "8gh4cuWEOLcD4wqq7kWf1-p9R6TDqImPQAwB9qDXa6E+3+5NxPVesi+SJF5WZhGpRMZViBQv2cumuFQsffzf-m6W"
     "f6irOAiqe5BVNTVIwoSYowIOyT8PWff3aBFCIrNP5oXDmme0Us3Coco93UaQ1pCrEZymhdEZ5XWAS40-VVenDXK3"
     "2rseRTnks5sknfw+xH0y6ok5HVunrMSiPSPbfOcYpWsM+GhRI4zAPeIPPzqfcxGuUC8by-mHvTdQJUJEwrQRX9W6"
     "iwrBaVuYj1FutU6JAeCOwG1NFRmcYmTXTP1MJ-zOwCW2ob+JeLW4PnJbJPxUg7OGnbcDlp0IbXrvhf1UrxjIs9z0"
     "uK9LmwIiGUE-eg81gp9ud462GPKSQFDNdU9-ta3aLM7DwK2quamgoQFJoBeZuoTZK3D8oYVmHrnCcKq-LioqCEvZ"
     "aJSZd5KybaEdjL6k8Q+xGuickZBhx7V3NlFK+LpTlPFIUxdDhzD89K9b+ofUiChYbip73v032A4eBwerGL3O-zDL"
     "hXF-GJ90-t1yVeBaY9EIwZsrCGvaRLeqezDkOVSXDNWownjeRFvxQSWbdG+zIePfJEY"},
};

} // namespace velkor::test
