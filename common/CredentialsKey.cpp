#include "common/CredentialsKey.h"

namespace arkvale {

// One character at a time, so the key never stands whole in the binary's data.
void AssembleCredentialsKey(char (&out)[kCredentialsKeyLength + 1]) {
  out[0] = 't';
  out[1] = 'n';
  out[2] = 's';
  out[3] = 's';
  out[4] = 'Q';
  out[5] = 'N';
  out[6] = 'M';
  out[7] = 'k';
  out[8] = 'd';
  out[9] = 'k';
  out[10] = 'O';
  out[11] = 's';
  out[12] = '=';
  out[13] = '=';
  out[14] = 'D';
  out[15] = 'b';
  out[16] = 'z';
  out[17] = 'Z';
  out[18] = '3';
  out[19] = 'q';
  out[20] = 'A';
  out[21] = 'A';
  out[22] = 'E';
  out[23] = 'W';
  out[24] = '8';
  out[25] = '!';
  out[26] = 'H';
  out[27] = 'Z';
  out[28] = 'q';
  out[29] = 'J';
  out[30] = 'L';
  out[31] = 'G';
  out[32] = 'g';
  out[33] = 'm';
  out[34] = 'n';
  out[35] = '~';
  out[36] = 'v';
  out[37] = 'm';
  out[38] = 'd';
  out[39] = 'C';
  out[40] = 'U';
  out[41] = 'p';
  out[42] = '+';
  out[43] = 'b';
  out[44] = 'W';
  out[45] = 'Y';
  out[46] = 'i';
  out[47] = 'u';
  out[48] = 'k';
  out[49] = '+';
  out[50] = '#';
  out[51] = 'x';
  out[52] = 'a';
  out[53] = 'P';
  out[54] = '!';
  out[55] = 'P';
  out[56] = 'W';
  out[57] = 't';
  out[58] = 'l';
  out[59] = 'h';
  out[60] = 'G';
  out[61] = '@';
  out[62] = 'F';
  out[63] = '_';
  out[kCredentialsKeyLength] = '\0';
}

}  // namespace arkvale
