#include "tools/gfxgen/art_track.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The track connection table, one row per connection index: entries "d>r"
// with an optional element class "cN"; "-" for no way through.
const char* const kConnRows[260] = {
    "-",  // 0
    "4>1 5>1",  // 1
    "2>1 3>1",  // 2
    "6>1 7>1",  // 3
    "8>1 9>1",  // 4
    "2>4 5>3",  // 5
    "3>4 5>2",  // 6
    "3>5 4>2",  // 7
    "2>5 4>3",  // 8
    "2>7 6>3",  // 9
    "3>8 9>2",  // 10
    "3>6 7>2",  // 11
    "2>9 8>3",  // 12
    "5>6 7>4",  // 13
    "5>9 8>4",  // 14
    "4>7 6>5",  // 15
    "4>8 9>5",  // 16
    "2>1c1 3>1c1 4>1c1 5>1c1",  // 17
    "6>1c1 7>1c1 8>1c1 9>1c1",  // 18
    "2>1c1 3>1c1 6>1c1 7>1c1",  // 19
    "2>1c1 3>1c1 8>1c1 9>1c1",  // 20
    "4>1c1 5>1c1 6>1c1 7>1c1",  // 21
    "4>1c1 5>1c1 8>1c1 9>1c1",  // 22
    "2>1c1 3>1c1 6>1c1 7>1c1 8>1c1 9>1c1",  // 23
    "4>1c1 5>1c1 6>1c1 7>1c1 8>1c1 9>1c1",  // 24
    "2>1c1 3>1c1 4>1c1 5>1c1 6>1c1 7>1c1",  // 25
    "2>1c1 3>1c1 4>1c1 5>1c1 8>1c1 9>1c1",  // 26
    "2>1c1 3>1c1 4>1c1 5>1c1 6>1c1 7>1c1 8>1c1 9>1c1",  // 27
    "4>1c2 5>1c4 7>4c2",  // 28
    "4>1c2 5>1c4 8>4c2",  // 29
    "4>1c4 5>1c2 6>5c2",  // 30
    "4>1c4 5>1c2 9>5c2",  // 31
    "2>1c4 3>1c2 8>3c2",  // 32
    "2>1c4 3>1c2 6>3c2",  // 33
    "2>1c2 3>1c4 9>2c2",  // 34
    "2>1c2 3>1c4 7>2c2",  // 35
    "4>8c2 8>1c2 9>1c4",  // 36
    "3>8c2 8>1c2 9>1c4",  // 37
    "5>9c2 8>1c4 9>1c2",  // 38
    "2>9c2 8>1c4 9>1c2",  // 39
    "3>6c2 6>1c2 7>1c4",  // 40
    "5>6c2 6>1c2 7>1c4",  // 41
    "2>7c2 6>1c4 7>1c2",  // 42
    "4>7c2 6>1c4 7>1c2",  // 43
    "2>1c4 6>3c2 8>3c2",  // 44
    "3>1c4 7>2c2 9>2c2",  // 45
    "4>1c4 6>5c2 9>5c2",  // 46
    "5>1c4 7>4c2 8>4c2",  // 47
    "2>7c2 4>7c2 6>1c4",  // 48
    "3>6c2 5>6c2 7>1c4",  // 49
    "2>9c2 5>9c2 8>1c4",  // 50
    "3>8c2 4>8c2 9>1c4",  // 51
    "2>1c4 3>1c2 6>3c3 8>3c3",  // 52
    "2>1c2 3>1c4 7>2c3 9>2c3",  // 53
    "4>1c4 5>1c2 6>5c3 9>5c3",  // 54
    "4>1c2 5>1c4 7>4c3 8>4c3",  // 55
    "2>7c3 4>7c3 6>1c4 7>1c2",  // 56
    "3>6c3 5>6c3 6>1c2 7>1c4",  // 57
    "2>9c3 5>9c3 8>1c4 9>1c2",  // 58
    "3>8c3 4>8c3 8>1c2 9>1c4",  // 59
    "2>4c2 4>1c2 5>1c4",  // 60
    "3>4c2 4>1c2 5>1c4",  // 61
    "3>5c2 4>1c4 5>1c2",  // 62
    "2>5c2 4>1c4 5>1c2",  // 63
    "2>1c4 3>1c2 4>3c2",  // 64
    "2>1c4 3>1c2 5>3c2",  // 65
    "2>1c2 3>1c4 5>2c2",  // 66
    "2>1c2 3>1c4 4>2c2",  // 67
    "2>1c5 3>1c5 6>3c2 9>2c2",  // 68
    "2>1c5 3>1c5 7>2c2 8>3c2",  // 69
    "4>1c5 5>1c5 7>4c2 9>5c2",  // 70
    "4>1c5 5>1c5 6>5c2 8>4c2",  // 71
    "3>6c2 4>7c2 6>1c5 7>1c5",  // 72
    "2>7c2 5>6c2 6>1c5 7>1c5",  // 73
    "2>9c2 4>8c2 8>1c5 9>1c5",  // 74
    "3>8c2 5>9c2 8>1c5 9>1c5",  // 75
    "2>1c6 3>1c7",  // 76
    "2>1c7 3>1c6",  // 77
    "4>1c6 5>1c7",  // 78
    "4>1c7 5>1c6",  // 79
    "6>1c6 7>1c7",  // 80
    "6>1c7 7>1c6",  // 81
    "8>1c6 9>1c7",  // 82
    "8>1c7 9>1c6",  // 83
    "2>1c8 3>1c9",  // 84
    "2>1c9 3>1c8",  // 85
    "4>1c8 5>1c9",  // 86
    "4>1c9 5>1c8",  // 87
    "6>1c8 7>1c9",  // 88
    "6>1c9 7>1c8",  // 89
    "8>1c8 9>1c9",  // 90
    "8>1c9 9>1c8",  // 91
    "2>0c14",  // 92
    "3>0c14",  // 93
    "4>0c14",  // 94
    "5>0c14",  // 95
    "6>0c14",  // 96
    "7>0c14",  // 97
    "8>0c14",  // 98
    "9>0c14",  // 99
    "2>1c15 3>1c15",  // 100
    "2>1c15 3>1c15",  // 101
    "4>1c15 5>1c15",  // 102
    "4>1c15 5>1c15",  // 103
    "6>1c15 7>1c15",  // 104
    "6>1c15 7>1c15",  // 105
    "8>1c15 9>1c15",  // 106
    "8>1c15 9>1c15",  // 107
    "2>1c19 3>1c19",  // 108
    "2>1c19 3>1c19",  // 109
    "4>1c19 5>1c19",  // 110
    "4>1c19 5>1c19",  // 111
    "6>1c19 7>1c19",  // 112
    "6>1c19 7>1c19",  // 113
    "8>1c19 9>1c19",  // 114
    "8>1c19 9>1c19",  // 115
    "2>1c20 3>1c20",  // 116
    "2>1c20 3>1c20",  // 117
    "4>1c20 5>1c20",  // 118
    "4>1c20 5>1c20",  // 119
    "6>1c20 7>1c20",  // 120
    "6>1c20 7>1c20",  // 121
    "8>1c20 9>1c20",  // 122
    "8>1c20 9>1c20",  // 123
    "2>1c16 3>1c17",  // 124
    "2>1c17 3>1c16",  // 125
    "4>1c16 5>1c17",  // 126
    "4>1c17 5>1c16",  // 127
    "6>1c16 7>1c17",  // 128
    "6>1c17 7>1c16",  // 129
    "8>1c16 9>1c17",  // 130
    "8>1c17 9>1c16",  // 131
    "2>7c1 4>1c1 5>1c1 6>3c1",  // 132
    "2>9c1 4>1c1 5>1c1 8>3c1",  // 133
    "3>6c1 4>1c1 5>1c1 7>2c1",  // 134
    "3>8c1 4>1c1 5>1c1 9>2c1",  // 135
    "2>1c1 3>1c1 4>8c1 9>5c1",  // 136
    "2>1c1 3>1c1 4>7c1 6>5c1",  // 137
    "2>1c1 3>1c1 5>9c1 8>4c1",  // 138
    "2>1c1 3>1c1 5>6c1 7>4c1",  // 139
    "2>9c1 6>1c1 7>1c1 8>3c1",  // 140
    "5>9c1 6>1c1 7>1c1 8>4c1",  // 141
    "3>8c1 6>1c1 7>1c1 9>2c1",  // 142
    "4>8c1 6>1c1 7>1c1 9>5c1",  // 143
    "5>6c1 7>4c1 8>1c1 9>1c1",  // 144
    "3>6c1 7>2c1 8>1c1 9>1c1",  // 145
    "4>7c1 6>5c1 8>1c1 9>1c1",  // 146
    "2>7c1 6>3c1 8>1c1 9>1c1",  // 147
    "4>1c11 5>1c11",  // 148
    "2>1c11 3>1c11",  // 149
    "6>1c11 7>1c11",  // 150
    "8>1c11 9>1c11",  // 151
    "2>1c5 3>1c5 6>1c5 7>1c5",  // 152
    "2>1c5 3>1c5 8>1c5 9>1c5",  // 153
    "4>1c5 5>1c5 6>1c5 7>1c5",  // 154
    "4>1c5 5>1c5 8>1c5 9>1c5",  // 155
    "2>1c5 3>1c2 6>1c5 7>1c2",  // 156
    "2>1c2 3>1c5 6>1c2 7>1c5",  // 157
    "2>1c5 3>1c2 8>1c5 9>1c2",  // 158
    "2>1c2 3>1c5 8>1c2 9>1c5",  // 159
    "4>1c2 5>1c5 6>1c2 7>1c5",  // 160
    "4>1c5 5>1c2 6>1c5 7>1c2",  // 161
    "4>1c5 5>1c2 8>1c2 9>1c5",  // 162
    "4>1c2 5>1c5 8>1c5 9>1c2",  // 163
    "2>7c4 3>1c3 6>3c2 8>3c3",  // 164
    "2>1c3 3>6c4 7>2c2 9>2c3",  // 165
    "4>8c4 5>1c3 6>5c3 9>5c2",  // 166
    "4>1c3 5>9c4 7>4c3 8>4c2",  // 167
    "2>7c3 4>7c2 6>5c4 7>1c3",  // 168
    "3>6c3 5>6c2 6>1c3 7>4c4",  // 169
    "2>9c2 5>9c3 8>3c4 9>1c3",  // 170
    "3>8c2 4>8c3 8>1c3 9>2c4",  // 171
    "2>9c4 3>1c3 6>3c3 8>3c2",  // 172
    "2>1c3 3>8c4 7>2c3 9>2c2",  // 173
    "4>7c4 5>1c3 6>5c2 9>5c3",  // 174
    "4>1c3 5>6c4 7>4c2 8>4c3",  // 175
    "2>7c2 4>7c3 6>3c4 7>1c3",  // 176
    "3>6c2 5>6c3 6>1c3 7>2c4",  // 177
    "2>9c3 5>9c2 8>4c4 9>1c3",  // 178
    "3>8c3 4>8c2 8>1c3 9>5c4",  // 179
    "2>1c12 3>1c12",  // 180
    "2>1c12 3>1c12",  // 181
    "4>1c12 5>1c12",  // 182
    "4>1c12 5>1c12",  // 183
    "6>1c12 7>1c12",  // 184
    "6>1c12 7>1c12",  // 185
    "8>1c12 9>1c12",  // 186
    "8>1c12 9>1c12",  // 187
    "2>1c10 3>1c12",  // 188
    "2>1c12 3>1c10",  // 189
    "4>1c10 5>1c12",  // 190
    "4>1c12 5>1c10",  // 191
    "6>1c10 7>1c12",  // 192
    "6>1c12 7>1c10",  // 193
    "8>1c10 9>1c12",  // 194
    "8>1c12 9>1c10",  // 195
    "2>1c21 3>1c12",  // 196
    "2>1c12 3>1c21",  // 197
    "4>1c21 5>1c12",  // 198
    "4>1c12 5>1c21",  // 199
    "6>1c21 7>1c12",  // 200
    "6>1c12 7>1c21",  // 201
    "8>1c21 9>1c12",  // 202
    "8>1c12 9>1c21",  // 203
    "2>1c22 3>1",  // 204
    "2>1 3>1c22",  // 205
    "4>1c22 5>1",  // 206
    "4>1 5>1c22",  // 207
    "6>1c22 7>1",  // 208
    "6>1 7>1c22",  // 209
    "8>1c22 9>1",  // 210
    "8>1 9>1c22",  // 211
    "2>1c23 3>1",  // 212
    "2>1 3>1c23",  // 213
    "4>1c23 5>1",  // 214
    "4>1 5>1c23",  // 215
    "6>1c23 7>1",  // 216
    "6>1 7>1c23",  // 217
    "8>1c23 9>1",  // 218
    "8>1 9>1c23",  // 219
    "2>1c24 3>1c12",  // 220
    "2>1c12 3>1c24",  // 221
    "4>1c24 5>1c12",  // 222
    "4>1c12 5>1c24",  // 223
    "6>1c24 7>1c12",  // 224
    "6>1c12 7>1c24",  // 225
    "8>1c24 9>1c12",  // 226
    "8>1c12 9>1c24",  // 227
    "2>1c18",  // 228
    "3>1c18",  // 229
    "4>1c18",  // 230
    "5>1c18",  // 231
    "6>1c18",  // 232
    "7>1c18",  // 233
    "8>1c18",  // 234
    "9>1c18",  // 235
    "2>7c1 5>9c1 6>3c1 8>4c1",  // 236
    "2>9c1 4>7c1 6>5c1 8>3c1",  // 237
    "3>6c1 4>8c1 7>2c1 9>5c1",  // 238
    "3>8c1 5>6c1 7>4c1 9>2c1",  // 239
    "2>7c1 4>8c1 6>3c1 9>5c1",  // 240
    "3>8c1 4>7c1 6>5c1 9>2c1",  // 241
    "3>6c1 5>9c1 7>2c1 8>4c1",  // 242
    "2>9c1 5>6c1 7>4c1 8>3c1",  // 243
    "2>7c1 3>8c1 6>3c1 9>2c1",  // 244
    "2>9c1 3>6c1 7>2c1 8>3c1",  // 245
    "4>8c1 5>6c1 7>4c1 9>5c1",  // 246
    "4>7c1 5>9c1 6>5c1 8>4c1",  // 247
    "3>6c1 4>7c1 6>5c1 7>2c1",  // 248
    "2>7c1 5>6c1 6>3c1 7>4c1",  // 249
    "2>9c1 4>8c1 8>3c1 9>5c1",  // 250
    "3>8c1 5>9c1 8>4c1 9>2c1",  // 251
    "2>1c13 3>1c13",  // 252
    "2>1c13 3>1c13",  // 253
    "4>1c13 5>1c13",  // 254
    "4>1c13 5>1c13",  // 255
    "6>1c13 7>1c13",  // 256
    "6>1c13 7>1c13",  // 257
    "8>1c13 9>1c13",  // 258
    "8>1c13 9>1c13",  // 259
};

struct ConnEntry {
  i8 result;  // -1 not listed
  u8 elementClass;
};
ConnEntry gConn[260][10];
bool gConnReady = false;

void ParseConnections() {
  if (gConnReady) return;
  for (int i = 0; i < 260; ++i) {
    for (int d = 0; d < 10; ++d) gConn[i][d] = ConnEntry{-1, 0};
    const char* p = kConnRows[i];
    while (*p) {
      if (*p >= '2' && *p <= '9' && p[1] == '>') {
        int d = *p - '0';
        int r = p[2] - '0';
        p += 3;
        int cls = 0;
        if (*p == 'c') {
          ++p;
          while (*p >= '0' && *p <= '9') cls = cls * 10 + (*p++ - '0');
        }
        gConn[i][d] = ConnEntry{i8(r), u8(cls)};
      } else {
        ++p;
      }
    }
  }
  gConnReady = true;
}

const float kPi = 3.14159265358979f;

}  // namespace

void Atk_ConnectorPoint(int connector, float* x, float* v) {
  static const float pts[9][2] = {{16, 32}, {16, 0}, {0, 16}, {32, 16}, {32, 0},
                                  {0, 32},  {0, 0},  {32, 32}, {16, 16}};
  int c = connector < 0 || connector > 8 ? 8 : connector;
  *x = pts[c][0];
  *v = pts[c][1];
}

int Atk_ConnectionIndex(int s) {
  s &= 0x1FF;
  if (s <= 3) return s + 1;
  if (s <= 11) return s - 3;
  if (s <= 23) return s + 140;
  if (s <= 33) return s - 15;
  if (s <= 95) return s - 20;
  if (s <= 127) return 0;
  if (s <= 135) return s + 124;
  if (s <= 151) return 148 + (s & 3);
  if (s <= 159) return s - 68;
  if (s <= 167) {
    static const int folded[4] = {2, 1, 3, 4};
    return folded[(s - 160) / 2];
  }
  if (s <= 183) return s - 76;
  if (s <= 191) return s + 44;
  if (s <= 207) return s - 84;
  if (s <= 215) return 124;
  if (s <= 255) return 124 + (s & 7);
  if (s == 256) return 1;
  if (s == 257) return 2;
  if (s == 258) return 3;
  if (s == 259) return 4;
  if (s <= 263) return 2;
  if (s <= 271) return s - 188;
  if (s <= 287) return s - 140;
  if (s <= 303) return s - 52;
  if (s <= 391) return 0;
  if (s <= 407) return s - 212;
  if (s <= 415) return s - 188;
  if (s <= 439) return s - 220;
  if (s <= 455) return s - 252;
  if (s <= 471) return s - 268;
  if (s <= 487) return s - 308;
  if (s <= 495) return s - 436;
  if (s <= 503) return s - 487;
  return s - 495;
}

int Atk_Connection(int index, int d, int* result, int* elementClass) {
  ParseConnections();
  *result = 0;
  *elementClass = 0;
  if (index < 0 || index >= 260 || d < 2 || d > 9) return 1;
  const ConnEntry& e = gConn[index][d];
  if (e.result < 0) return 1;
  *result = e.result;
  *elementClass = e.elementClass;
  return 0;
}

int Atk_DirectionConnector(int d) {
  static const int map[10] = {-1, -1, ATK_UP, ATK_DOWN, ATK_LEFT, ATK_RIGHT, ATK_DOWNRIGHT, ATK_UPLEFT,
                              ATK_DOWNLEFT, ATK_UPRIGHT};
  return d >= 2 && d <= 9 ? map[d] : -1;
}

int Atk_ShapePaths(int shape, AtkPath* out) {
  shape &= 0x1FF;
  int idx = Atk_ConnectionIndex(shape);
  int n = 0;
  auto add = [&](int a, int b) {
    if (a > b && b != ATK_CENTRE) {
      int t = a;
      a = b;
      b = t;
    }
    for (int i = 0; i < n; ++i)
      if (out[i].a == a && out[i].b == b) return;
    if (n < ATK_MAX_PATHS) out[n++] = AtkPath{u8(a), u8(b)};
  };
  if (idx != 0) {
    for (int d = 2; d <= 9; ++d) {
      int r, cls;
      if (Atk_Connection(idx, d, &r, &cls) != 0) continue;
      int from = Atk_DirectionConnector(d) ^ 1;  // the side the train came in by
      if (r == 0)
        add(from, ATK_CENTRE);
      else
        add(from, Atk_DirectionConnector(r == 1 ? d : r));
    }
  }
  // The slip crossings list only their straight runs (the controller picks
  // the curve); their slip curves are part of the track all the same.
  static const u8 slips[12][2][2] = {
      {{1, 5}, {0, 4}}, {{1, 7}, {0, 6}}, {{2, 4}, {3, 5}}, {{2, 7}, {3, 6}},
      {{1, 5}, {9, 9}}, {{0, 4}, {9, 9}}, {{1, 7}, {9, 9}}, {{0, 6}, {9, 9}},
      {{2, 4}, {9, 9}}, {{3, 5}, {9, 9}}, {{3, 6}, {9, 9}}, {{2, 7}, {9, 9}}};
  if (shape >= 12 && shape <= 23)
    for (int k = 0; k < 2; ++k)
      if (slips[shape - 12][k][0] != 9) add(slips[shape - 12][k][0], slips[shape - 12][k][1]);
  // Straight runs first, then the others by connector: a fixed order, which
  // the plain-row marks of the road junctions count on.
  for (int i = 1; i < n; ++i)
    for (int j = i; j > 0; --j) {
      auto key = [](const AtkPath& p) {
        bool straight = p.b != ATK_CENTRE && (p.a ^ 1) == p.b;
        return (straight ? 0 : 100) + p.a * 10 + p.b;
      };
      if (key(out[j]) < key(out[j - 1])) {
        AtkPath t = out[j];
        out[j] = out[j - 1];
        out[j - 1] = t;
      }
    }
  return n;
}

// ---------------------------------------------------------------- patterns
namespace {

enum {
  P_STRAIGHT = 0,   // 0..3
  P_CURVE90 = 4,    // 4..7
  P_CURVE45 = 8,    // 8..15
  P_STUB = 16,      // 16..23
  P_TIP = 24,       // 24..27: bottom-left, bottom-right, top-left, top-right
  P_COUNT = 28
};

// Connector pairs of the path patterns, in pattern order.
const u8 kPatternPath[24][2] = {
    {2, 3}, {0, 1}, {4, 5}, {6, 7},                                  // straights
    {1, 2}, {0, 2}, {0, 3}, {1, 3},                                  // quarter curves
    {1, 5}, {0, 6}, {0, 4}, {1, 7}, {2, 4}, {2, 7}, {3, 5}, {3, 6},  // eighth curves
    {1, 8}, {0, 8}, {3, 8}, {2, 8}, {5, 8}, {4, 8}, {7, 8}, {6, 8}}; // stubs

int PatternOfPath(const AtkPath& p) {
  for (int i = 0; i < 24; ++i)
    if ((kPatternPath[i][0] == p.a && kPatternPath[i][1] == p.b) ||
        (kPatternPath[i][0] == p.b && kPatternPath[i][1] == p.a))
      return i;
  return -1;
}

// Representative shape of each ground row; -1 rows have no track, -2 rows
// are the edge rows.
int RowShape(int row) {
  if (row >= 1 && row <= 4) return row - 1;
  if (row >= 5 && row <= 8) return row + 3;
  if (row >= 9 && row <= 18) return row + 15;
  if (row >= 19 && row <= 22) return row - 7;  // slip crossings 12..15
  if (row >= 23 && row <= 80) return row + 15;
  if (row >= 81 && row <= 88) return row + 87;
  if (row >= 89 && row <= 104) return row + 183;
  if (row >= 105 && row <= 110) return -2;
  if (row >= 114 && row <= 121) return row - 98;
  if (row >= 127 && row <= 142) return row + 161;
  return -1;
}

struct Vec {
  float x, v;
};

// The centre line of a path in ground units, extended past both ends along
// their tangents (not past a stub's centre end); sLen is the length between
// the true ends, which lie at s = 0 and s = sLen; q is the same length as
// the screen shows it (v counts half), qLen the screen length of the path.
struct PathLine {
  std::vector<Vec> pts;
  std::vector<float> s;
  float sLen = 0;
  std::vector<float> q;
  float qLen = 0;
  bool capEnd = false;  // a stub: nothing beyond the end
};

Vec Unit(Vec a) {
  float l = std::sqrt(a.x * a.x + a.v * a.v);
  return l > 0 ? Vec{a.x / l, a.v / l} : Vec{1, 0};
}

// Inward tangent at a connector: from the connector toward the centre.
Vec Inward(int c) {
  float x, v;
  Atk_ConnectorPoint(c, &x, &v);
  return Unit(Vec{16 - x, 16 - v});
}

PathLine BuildPath(int a, int b) {
  PathLine L;
  float ax, av, bx, bv;
  Atk_ConnectorPoint(a, &ax, &av);
  Atk_ConnectorPoint(b, &bx, &bv);
  std::vector<Vec> core;
  bool cornerA = a >= 4 && a <= 7, cornerB = b >= 4 && b <= 7;
  if (b == ATK_CENTRE || (a ^ 1) == b) {
    core = {Vec{ax, av}, Vec{bx, bv}};
  } else if (!cornerA && !cornerB) {
    // Quarter circle about the corner the two edges share.
    float cx = (ax == 16) ? bx : ax, cv = (av == 16) ? bv : av;
    float a0 = std::atan2(av - cv, ax - cx), a1 = std::atan2(bv - cv, bx - cx);
    float da = a1 - a0;
    while (da > kPi) da -= 2 * kPi;
    while (da < -kPi) da += 2 * kPi;
    for (int i = 0; i <= 24; ++i) {
      float t = a0 + da * float(i) / 24.0f;
      core.push_back(Vec{cx + 16 * std::cos(t), cv + 16 * std::sin(t)});
    }
  } else {
    // Eighth curve: a cubic from the edge (straight on) into the corner
    // (diagonally), tangent to both.
    Vec p0{ax, av}, p3{bx, bv};
    Vec t0 = Inward(a), t3 = Inward(b);
    const float k = 11.0f;
    Vec p1{p0.x + t0.x * k, p0.v + t0.v * k}, p2{p3.x + t3.x * k, p3.v + t3.v * k};
    for (int i = 0; i <= 32; ++i) {
      float t = float(i) / 32.0f, u = 1 - t;
      float b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
      core.push_back(Vec{b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x, b0 * p0.v + b1 * p1.v + b2 * p2.v + b3 * p3.v});
    }
  }
  const float ext = 14.0f;
  Vec d0 = Unit(Vec{core[0].x - core[1].x, core[0].v - core[1].v});
  L.pts.push_back(Vec{core[0].x + d0.x * ext, core[0].v + d0.v * ext});
  for (const Vec& p : core) L.pts.push_back(p);
  L.capEnd = (b == ATK_CENTRE);
  if (!L.capEnd) {
    size_t n = core.size();
    Vec d1 = Unit(Vec{core[n - 1].x - core[n - 2].x, core[n - 1].v - core[n - 2].v});
    L.pts.push_back(Vec{core[n - 1].x + d1.x * ext, core[n - 1].v + d1.v * ext});
  }
  L.s.resize(L.pts.size());
  L.s[0] = -ext;
  for (size_t i = 1; i < L.pts.size(); ++i) {
    float dx = L.pts[i].x - L.pts[i - 1].x, dv = L.pts[i].v - L.pts[i - 1].v;
    L.s[i] = L.s[i - 1] + std::sqrt(dx * dx + dv * dv);
  }
  L.sLen = L.s[core.size()];  // the second true end is the last core point
  L.q.resize(L.pts.size());
  L.q[0] = 0;
  for (size_t i = 1; i < L.pts.size(); ++i) {
    float dx = L.pts[i].x - L.pts[i - 1].x, dv = (L.pts[i].v - L.pts[i - 1].v) / 2.0f;
    L.q[i] = L.q[i - 1] + std::sqrt(dx * dx + dv * dv);
  }
  for (float& q : L.q) q -= L.q[1];  // 0 at the first true end
  L.qLen = L.q[core.size()];
  return L;
}

struct Nearest {
  float d = 1e9f;   // unsigned distance in ground units
  float side = 0;   // sign: left or right of the direction of travel
  float s = 0;
  float q = 0;      // screen length along the path
  Vec tangent{1, 0};
  bool beyond = false;  // past a capped end
};

Nearest FindNearest(const PathLine& L, Vec p) {
  Nearest best;
  for (size_t i = 0; i + 1 < L.pts.size(); ++i) {
    Vec a = L.pts[i], b = L.pts[i + 1];
    float dx = b.x - a.x, dv = b.v - a.v, len2 = dx * dx + dv * dv;
    if (len2 <= 0) continue;
    float t = ((p.x - a.x) * dx + (p.v - a.v) * dv) / len2;
    bool past = false;
    if (t < 0) t = 0;
    if (t > 1) {
      past = (i + 2 == L.pts.size()) && L.capEnd;
      t = 1;
    }
    float qx = a.x + dx * t, qv = a.v + dv * t;
    float ex = p.x - qx, ev = p.v - qv, d = std::sqrt(ex * ex + ev * ev);
    if (d < best.d - 1e-5f) {
      float len = std::sqrt(len2);
      best.d = d;
      best.s = L.s[i] + t * len;
      best.q = L.q[i] + t * (L.q[i + 1] - L.q[i]);
      best.tangent = Vec{dx / len, dv / len};
      best.side = (dx * ev - dv * ex) >= 0 ? 1.0f : -1.0f;
      best.beyond = past;
    }
  }
  return best;
}

// Distance in screen pixels from a point to a polyline given in screen pixels.
float ScreenDistance(const std::vector<Vec>& line, Vec p) {
  float best = 1e9f;
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    Vec a = line[i], b = line[i + 1];
    float dx = b.x - a.x, dv = b.v - a.v, len2 = dx * dx + dv * dv;
    float t = len2 > 0 ? ((p.x - a.x) * dx + (p.v - a.v) * dv) / len2 : 0;
    t = t < 0 ? 0 : t > 1 ? 1 : t;
    float ex = p.x - (a.x + dx * t), ev = p.v - (a.v + dv * t);
    best = std::min(best, std::sqrt(ex * ex + ev * ev));
  }
  return best;
}

const float kBandHalf = 6.5f;    // ballast half width, ground units
const float kSleeperHalf = 5.5f;

// Rasterises one path into a 32z x 16z mask; dv is where this cell lies in
// the path's frame (+32: the path belongs to the cell below), so the tips
// draw a neighbour's path where it reaches over the border.
void RasterPath(int a, int b, int zoom, float dv, u8* out) {
  PathLine L = BuildPath(a, b);
  const int W = 32 * zoom, H = 16 * zoom;
  // Rails half a gauge either side, placed on pixel centres at each zoom.
  const float gaugeHalf = zoom == 1 ? 3.5f : 3.25f;
  std::vector<Vec> rails[2];
  for (int side = 0; side < 2; ++side) {
    float off = side == 0 ? gaugeHalf : -gaugeHalf;
    for (size_t i = 0; i < L.pts.size(); ++i) {
      size_t j0 = i == 0 ? 0 : i - 1, j1 = i + 1 < L.pts.size() ? i + 1 : i;
      Vec t = Unit(Vec{L.pts[j1].x - L.pts[j0].x, L.pts[j1].v - L.pts[j0].v});
      Vec q{L.pts[i].x - t.v * off, L.pts[i].v + t.x * off};
      // Ground to screen pixels (y measured downward from the cell top).
      rails[side].push_back(Vec{q.x * float(zoom), (16.0f - (q.v - dv) / 2.0f) * float(zoom)});
    }
  }
  // Sleepers every 4 screen pixels (zoom 1), a whole number per path so
  // that they run on evenly into the next cell; spaced on the screen, not
  // on the ground, so that track running up the screen is not twice as
  // dense as track running across it.
  int n = int(std::lround(L.qLen / 4.0f));
  if (n < 1) n = 1;
  const float pitch = L.qLen / float(n);
  // Above zoom 1 a sleeper is two pixels wide wherever it lies: its centre
  // is moved to the middle between two pixel centres along the track (step:
  // the screen length between neighbouring pixels on a straight path), and
  // it covers what lies within one step of it.
  const size_t last = L.capEnd ? L.pts.size() - 1 : L.pts.size() - 2;
  const float spanX = std::fabs(L.pts[last].x - L.pts[1].x), spanY = std::fabs(L.pts[last].v - L.pts[1].v) / 2.0f;
  const float step = L.qLen / (std::max(std::max(spanX, spanY), 1.0f) * float(zoom));
  auto inSleeper = [&](float q) {
    if (zoom == 1) {
      const float f = std::fmod(q, pitch);
      return f >= (pitch - 1.0f) / 2 && f < (pitch + 1.0f) / 2;
    }
    const int k = int(std::floor(q / pitch));
    for (int j = k - 1; j <= k + 1; ++j) {
      const float centre = std::round((float(j) + 0.5f) * pitch / step) * step;
      if (std::fabs(q - centre) < step * 0.999f) return true;
    }
    return false;
  };
  for (int row = 0; row < H; ++row)
    for (int col = 0; col < W; ++col) {
      float sx = (float(col) + 0.5f) / float(zoom), sy = 16.0f - (float(row) + 0.5f) / float(zoom);
      Vec g{sx, sy * 2.0f + dv};
      Nearest nr = FindNearest(L, g);
      u8 m = ATK_MASK_NONE;
      if (!nr.beyond && nr.d <= kBandHalf) {
        m = ATK_MASK_BALLAST;
        if (nr.s >= 0 && nr.s <= L.sLen && nr.d <= kSleeperHalf && inSleeper(nr.q)) m = ATK_MASK_SLEEPER;
        Vec sp{float(col) + 0.5f, float(row) + 0.5f};
        if (ScreenDistance(rails[0], sp) < 0.5f || ScreenDistance(rails[1], sp) < 0.5f) m = ATK_MASK_RAIL;
      }
      out[row * W + col] = m;
    }
}

void RasterPattern(int pattern, int zoom, u8* out) {
  const int W = 32 * zoom, H = 16 * zoom;
  memset(out, 0, size_t(W * H));
  if (pattern < P_TIP) {
    RasterPath(kPatternPath[pattern][0], kPatternPath[pattern][1], zoom, 0, out);
  } else if (pattern < P_COUNT) {
    // The diagonal of the neighbouring cell that ends in this corner.
    static const struct {
      int a, b;
      float dv;
    } tips[4] = {{4, 5, 32}, {6, 7, 32}, {6, 7, -32}, {4, 5, -32}};
    const auto& t = tips[pattern - P_TIP];
    RasterPath(t.a, t.b, zoom, t.dv, out);
  }
}

int TipsOf(int row, bool fromBelow) {
  int shape = RowShape(row);
  if (shape < 0) return 0;
  AtkPath paths[ATK_MAX_PATHS];
  int n = Atk_ShapePaths(shape, paths);
  int tips = 0;
  for (int i = 0; i < n; ++i)
    for (int c : {int(paths[i].a), int(paths[i].b)}) {
      if (fromBelow && c == ATK_UPLEFT) tips |= 1;
      if (fromBelow && c == ATK_UPRIGHT) tips |= 2;
      if (!fromBelow && c == ATK_DOWNLEFT) tips |= 1;
      if (!fromBelow && c == ATK_DOWNRIGHT) tips |= 2;
    }
  return tips;
}

}  // namespace

int Atk_PathLine(int a, int b, float* xv, int max) {
  PathLine L = BuildPath(a, b);
  // The true path lies between the extensions: skip the first point and,
  // unless the path ends in the centre, the last.
  size_t first = 1, last = L.capEnd ? L.pts.size() : L.pts.size() - 1;
  int n = 0;
  for (size_t i = first; i < last && n < max; ++i, ++n) {
    xv[2 * n] = L.pts[i].x;
    xv[2 * n + 1] = L.pts[i].v;
  }
  return n;
}

int Atk_GroundRow(int code) {
  if (code < 0 || code >= 16384) return 0;
  int s = code & 0x1FF;
  if (s <= 3) return s + 1;
  if (s <= 11) return s - 3;
  if (s <= 15) return s + 7;
  if (s <= 23) return s + 98;
  if (s <= 95) return s - 15;
  if (s >= 208 && s <= 210) return 2;
  if ((s >= 136 && s <= 151) || (s >= 256 && s <= 259)) return (s & 3) + 1;
  if (s >= 260 && s <= 263) return 2;  // they join like vertical track
  if (s >= 168 && s <= 175) return s - 87;
  if (s >= 184 && s <= 191) return s - 103;
  if (s >= 272 && s <= 287) return s - 183;
  if (s >= 288 && s <= 303) return s - 161;
  if (s >= 472 && s <= 495) return 57 + (s & 7);
  if (s >= 496) return 9 + (s & 7);
  static const int byBits[4] = {2, 1, 3, 4};
  return byBits[(code & 6) >> 1];
}

int Atk_EdgeRowFromBelow(int code) {
  static const int rows[4] = {-1, 105, 106, 107};
  return rows[TipsOf(Atk_GroundRow(code), true)];
}

int Atk_EdgeRowFromAbove(int code) {
  static const int rows[4] = {-1, 108, 109, 110};
  return rows[TipsOf(Atk_GroundRow(code), false)];
}

void Atk_RenderPattern(int pattern, int zoom, u8* out) { RasterPattern(pattern, zoom, out); }

int Atk_BuildGround(AtkGround* g) {
  memset(g, 0, sizeof *g);
  memset(g->shapeTable, 255, sizeof g->shapeTable);
  g->pieceCount = 1;  // piece 0: nothing
  std::vector<u8> m1(32 * 16), m2(64 * 32);
  for (int p = 0; p < P_COUNT; ++p) {
    RasterPattern(p, 1, m1.data());
    RasterPattern(p, 2, m2.data());
    for (int k = 0; k < 4; ++k) {
      u8 s1[16][8], s2[32][16];
      for (int r = 0; r < 16; ++r) memcpy(s1[r], &m1[size_t(r * 32 + k * 8)], 8);
      for (int r = 0; r < 32; ++r) memcpy(s2[r], &m2[size_t(r * 64 + k * 16)], 16);
      int found = -1;
      for (int q = 0; q < g->pieceCount && found < 0; ++q)
        if (memcmp(g->piece1[q], s1, sizeof s1) == 0 && memcmp(g->piece2[q], s2, sizeof s2) == 0) found = q;
      if (found < 0) {
        if (g->pieceCount >= ATK_PIECES_MAX) return 1;
        found = g->pieceCount++;
        memcpy(g->piece1[found], s1, sizeof s1);
        memcpy(g->piece2[found], s2, sizeof s2);
      }
      g->stripTable[p][k] = u8(found);
    }
  }
  for (int row = 0; row < ATK_PATTERN_ROWS; ++row) {
    int n = 0;
    int shape = RowShape(row);
    if (shape >= 0) {
      AtkPath paths[ATK_MAX_PATHS];
      int np = Atk_ShapePaths(shape, paths);
      for (int i = 0; i < np; ++i) {
        int pat = PatternOfPath(paths[i]);
        if (pat < 0) return 1;
        g->shapeTable[row][n++] = u8(pat);
      }
    } else if (shape == -2) {
      int r = row - 105;  // 105 BL, 106 BR, 107 both, 108 TL, 109 TR, 110 both
      int base = r < 3 ? P_TIP : P_TIP + 2;
      int which = r % 3;
      if (which == 0 || which == 2) g->shapeTable[row][n++] = u8(base);
      if (which == 1 || which == 2) g->shapeTable[row][n++] = u8(base + 1);
    }
  }
  return 0;
}

void Atk_TablesSource(const AtkGround* g, std::string* out) {
  char buf[64];
  *out = "// Ground pattern tables that match the masks of \"orba.gzg\" (made by tools/gfxgen --tables).\n";
  *out += "#include \"render/terrain_tab.h\"\n";
  *out += "const unsigned char kTerrainShapeRows[143][4] = {\n";
  for (int r = 0; r < ATK_PATTERN_ROWS; ++r) {
    snprintf(buf, sizeof buf, "    {%d, %d, %d, %d},  // %d\n", g->shapeTable[r][0], g->shapeTable[r][1],
             g->shapeTable[r][2], g->shapeTable[r][3], r);
    *out += buf;
  }
  *out += "};\nconst unsigned char kTerrainStripPieces[32][4] = {\n";
  for (int p = 0; p < ATK_STRIP_PATTERNS; ++p) {
    snprintf(buf, sizeof buf, "    {%d, %d, %d, %d},  // %d\n", g->stripTable[p][0], g->stripTable[p][1],
             g->stripTable[p][2], g->stripTable[p][3], p);
    *out += buf;
  }
  for (int side = 0; side < 2; ++side) {
    *out += side == 0 ? "};\n// By shape (code & 0x1FF) of the cell below; -1 none.\nconst signed char kTerrainEdgeRowBelow[512] = {"
                      : "};\n// By shape (code & 0x1FF) of the cell above; -1 none.\nconst signed char kTerrainEdgeRowAbove[512] = {";
    for (int s = 0; s < 512; ++s) {
      if (s % 16 == 0) *out += "\n   ";
      snprintf(buf, sizeof buf, " %d,", side == 0 ? Atk_EdgeRowFromBelow(s) : Atk_EdgeRowFromAbove(s));
      *out += buf;
    }
  }
  *out += "\n};\n";
}

void Atk_RenderRow(const AtkGround* g, int row, int zoom, u8* out) {
  const int W = 32 * zoom, H = 16 * zoom;
  memset(out, 0, size_t(W * H));
  if (row < 0 || row >= ATK_PATTERN_ROWS) return;
  // The bed first, then the sleepers, then the rails, as the compositor's
  // colour steps run over all patterns of a row.
  static const u8 steps[3][2] = {{ATK_MASK_BALLAST, ATK_MASK_CORE}, {ATK_MASK_SLEEPER, 0}, {ATK_MASK_RAIL, 0}};
  for (const auto& step : steps)
    for (int i = 0; i < 4 && g->shapeTable[row][i] != 255; ++i) {
      int pat = g->shapeTable[row][i];
      for (int k = 0; k < 4; ++k) {
        int piece = g->stripTable[pat][k];
        for (int r = 0; r < H; ++r)
          for (int c = 0; c < 8 * zoom; ++c) {
            u8 v = zoom == 1 ? g->piece1[piece][r][c] : g->piece2[piece][r][c];
            if (v != 0 && (v == step[0] || v == step[1])) out[r * W + k * 8 * zoom + c] = v;
          }
      }
    }
}
