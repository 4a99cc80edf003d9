#include "tools/gfxgen/art_vehicle.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tools/gfxgen/art_canvas.h"

namespace {

// File flag bits used here: bit 15 marks a vehicle that drives itself; the
// alternate sides (pantographs down, doors open) and the long set.
const u32 kPowered = 1u << 15, kAlt = GFX_VF_EXTRA_1 | GFX_VF_EXTRA_2, kLong = GFX_VF_DOUBLE;

const u32 kBlackish = Cnv_Rgb(34, 34, 36), kWheel = Cnv_Rgb(48, 46, 46), kWindow = Cnv_Rgb(150, 190, 214),
          kWindowDark = Cnv_Rgb(60, 78, 96), kBuffer = Cnv_Rgb(70, 70, 72), kLight = Cnv_Rgb(255, 244, 190);

AvhVehicle V(int index, int kind, int length, int a, int b, u32 body, u32 trim, u32 roof, const char* name,
             u32 flags = 0) {
  AvhVehicle v;
  memset(&v, 0, sizeof v);
  v.index = u8(index);
  v.kind = kind;
  v.length = u16(length);
  v.a = u16(a);
  v.b = u16(b);
  v.c = u16(a);
  v.flags = flags;
  v.body = body;
  v.trim = trim;
  v.roof = roof;
  v.name = name;
  return v;
}

// An exhaust source: `position` pixels behind the vehicle's front (side 1
// has its front at x = L, so x = L - 1 - position), `length` pixels long,
// the particles starting about five rows above `height`.
AvhVehicle WithSmoke(AvhVehicle v, int position, int height, int length) {
  v.markers[v.markerCount++] = GfxVehicleMarker{u16(position), u16(height), u16(length)};
  return v;
}

std::vector<AvhSet> BuildCatalogue() {
  std::vector<AvhSet> sets;
  auto add = [&](u16 number, u32 text, const char* name, std::initializer_list<AvhVehicle> vs) {
    AvhSet s;
    memset(&s, 0, sizeof s);
    s.number = number;
    s.textNumber = text;
    s.name = name;
    for (const AvhVehicle& v : vs) s.vehicles[s.count++] = v;
    sets.push_back(s);
  };
  const u32 green = Cnv_Rgb(46, 100, 64), red = Cnv_Rgb(150, 40, 36), cream = Cnv_Rgb(232, 220, 180),
            blue = Cnv_Rgb(40, 70, 140), brown = Cnv_Rgb(120, 70, 44), grey = Cnv_Rgb(110, 112, 116),
            roofGrey = Cnv_Rgb(86, 88, 92), black = Cnv_Rgb(40, 40, 44), yellow = Cnv_Rgb(236, 184, 30),
            white = Cnv_Rgb(236, 236, 232), orange = Cnv_Rgb(220, 110, 30), silver = Cnv_Rgb(176, 180, 184);
  add(6256, 40000, "Regional railcar", {
      V(0, AVH_RAILCAR, 72, 11, 11, red, cream, roofGrey, "Railcar", kPowered | kAlt),
      V(1, AVH_CONTROL_CAR, 72, 11, 11, red, cream, roofGrey, "Railcar trailer", kAlt)});
  add(20001, 40010, "Buses", {
      V(0, AVH_BUS, 48, 10, 10, yellow, white, Cnv_Rgb(220, 220, 214), "City bus", kPowered | kAlt),
      V(1, AVH_BUS, 48, 10, 10, Cnv_Rgb(60, 120, 190), white, Cnv_Rgb(220, 220, 214), "Coach", kPowered | kAlt)});
  add(20010, 40020, "Electric multiple unit", {
      V(0, AVH_EMU_HEAD, 88, 14, 11, white, Cnv_Rgb(200, 30, 40), Cnv_Rgb(150, 150, 156), "Driving car", kPowered | kAlt | kLong),
      V(1, AVH_EMU_MIDDLE, 84, 14, 11, white, Cnv_Rgb(200, 30, 40), Cnv_Rgb(150, 150, 156), "Middle car", kPowered | kAlt)});
  add(20020, 40030, "Trams", {
      V(0, AVH_TRAM_HEAD, 56, 14, 10, Cnv_Rgb(210, 40, 40), cream, Cnv_Rgb(200, 200, 200), "Tram front section", kPowered | kAlt),
      V(1, AVH_TRAM_MIDDLE, 40, 14, 10, Cnv_Rgb(210, 40, 40), cream, Cnv_Rgb(200, 200, 200), "Tram middle section", kAlt),
      V(2, AVH_TRAM_CLASSIC, 48, 14, 10, cream, Cnv_Rgb(180, 40, 36), Cnv_Rgb(120, 120, 120), "Classic tram", kPowered | kAlt),
      V(3, AVH_TRAM_CLASSIC, 44, 14, 10, cream, Cnv_Rgb(40, 90, 60), Cnv_Rgb(120, 120, 120), "Classic tram trailer", kAlt)});
  add(40310, 40040, "Freight wagons", {
      V(0, AVH_BOX, 48, 10, 11, brown, Cnv_Rgb(90, 52, 34), roofGrey, "Box wagon"),
      V(1, AVH_TANK, 44, 10, 11, black, silver, black, "Tank wagon"),
      V(2, AVH_FLAT, 48, 8, 11, Cnv_Rgb(80, 70, 64), Cnv_Rgb(170, 120, 70), grey, "Flat wagon with timber"),
      V(3, AVH_HOPPER, 40, 10, 11, Cnv_Rgb(70, 74, 80), Cnv_Rgb(40, 40, 40), grey, "Hopper wagon with coal"),
      V(4, AVH_OPEN, 40, 9, 11, Cnv_Rgb(100, 84, 60), Cnv_Rgb(70, 56, 40), grey, "Open wagon"),
      V(5, AVH_INSULATED, 48, 10, 11, white, Cnv_Rgb(40, 100, 170), roofGrey, "Refrigerator wagon"),
      V(6, AVH_TANK, 44, 10, 11, silver, Cnv_Rgb(220, 120, 30), silver, "Chemical tank wagon"),
      V(7, AVH_BRAKE_VAN, 32, 10, 11, Cnv_Rgb(140, 50, 40), cream, roofGrey, "Brake van")});
  add(40320, 40050, "Passenger coaches", {
      V(0, AVH_COACH, 96, 11, 11, green, cream, roofGrey, "Coach second class", kAlt | kLong),
      V(1, AVH_COACH, 96, 11, 11, green, yellow, roofGrey, "Coach first class", kAlt | kLong),
      V(2, AVH_COACH, 96, 11, 11, red, cream, roofGrey, "Dining car", kAlt | kLong),
      V(3, AVH_BAGGAGE, 80, 11, 11, green, cream, roofGrey, "Baggage car"),
      V(4, AVH_COACH, 96, 11, 11, blue, cream, roofGrey, "Sleeping car", kAlt | kLong)});
  add(40321, 40060, "Steam locomotives", {
      WithSmoke(V(0, AVH_STEAM, 64, 12, 11, black, red, black, "Goods steam locomotive", kPowered), 3, 12, 3),
      V(1, AVH_TENDER, 40, 11, 11, black, red, black, "Tender"),
      WithSmoke(V(2, AVH_TANK_LOCO, 48, 12, 11, black, red, black, "Tank locomotive", kPowered), 3, 12, 3),
      WithSmoke(V(3, AVH_STEAM, 80, 12, 11, green, Cnv_Rgb(200, 160, 60), black, "Express steam locomotive", kPowered), 3, 12, 3),
      V(4, AVH_TENDER, 48, 11, 11, green, Cnv_Rgb(200, 160, 60), black, "Express tender")});
  add(40510, 40070, "Diesel locomotives", {
      WithSmoke(V(0, AVH_DIESEL_HOOD, 64, 12, 11, yellow, black, roofGrey, "Road diesel", kPowered), 48, 10, 2),
      WithSmoke(V(1, AVH_DIESEL_CAB, 72, 12, 11, blue, white, roofGrey, "Mainline diesel", kPowered), 36, 12, 2),
      WithSmoke(V(2, AVH_SHUNTER, 40, 11, 11, orange, black, roofGrey, "Shunting diesel", kPowered), 10, 9, 2)});
  add(40740, 40080, "Electric trains", {
      V(0, AVH_ELECTRIC, 64, 14, 11, Cnv_Rgb(190, 36, 36), white, Cnv_Rgb(120, 124, 128), "Electric locomotive", kPowered | kAlt),
      V(1, AVH_ELECTRIC, 72, 14, 11, Cnv_Rgb(40, 110, 80), Cnv_Rgb(230, 200, 60), Cnv_Rgb(120, 124, 128), "Heavy electric locomotive", kPowered | kAlt),
      V(2, AVH_COACH, 104, 11, 11, white, Cnv_Rgb(190, 36, 36), Cnv_Rgb(150, 150, 156), "Intercity coach", kAlt | kLong),
      V(3, AVH_COACH, 104, 11, 11, white, Cnv_Rgb(230, 200, 60), Cnv_Rgb(150, 150, 156), "Intercity coach first class", kAlt | kLong),
      V(4, AVH_CONTROL_CAR, 104, 11, 11, white, Cnv_Rgb(190, 36, 36), Cnv_Rgb(150, 150, 156), "Intercity control car", kAlt | kLong)});
  // The wider catalogue: engines of every era and traction, coaches of every
  // service, freight wagons whose loads show, railcars, multiple units,
  // trams and buses.
  const u32 darkBlue = Cnv_Rgb(30, 44, 96), maroon = Cnv_Rgb(110, 30, 36), olive = Cnv_Rgb(96, 100, 56),
            teal = Cnv_Rgb(30, 120, 120), rust = Cnv_Rgb(140, 70, 40), lime = Cnv_Rgb(150, 190, 60),
            beige = Cnv_Rgb(210, 196, 160), purple = Cnv_Rgb(110, 60, 130), sky = Cnv_Rgb(90, 150, 210),
            dgreen = Cnv_Rgb(30, 76, 48), gold = Cnv_Rgb(200, 160, 60), steel = Cnv_Rgb(150, 156, 164);
  auto steam = [](AvhVehicle v) { return WithSmoke(v, 3, 12, 3); };
  auto diesel = [](AvhVehicle v, int at) { return WithSmoke(v, at, 10, 2); };
  add(6257, 40090, "Small diesel railcars", {
      diesel(V(0, AVH_RAILCAR, 56, 11, 11, red, beige, roofGrey, "Single railcar", kPowered | kAlt), 20),
      diesel(V(1, AVH_RAILCAR, 56, 11, 11, yellow, grey, roofGrey, "Branch railcar", kPowered | kAlt), 20),
      V(2, AVH_CONTROL_CAR, 56, 11, 11, red, beige, roofGrey, "Railcar trailer", kAlt),
      diesel(V(3, AVH_RAILCAR, 48, 11, 11, Cnv_Rgb(200, 60, 40), Cnv_Rgb(240, 230, 200), roofGrey, "Rail bus", kPowered | kAlt), 16),
      V(4, AVH_CONTROL_CAR, 48, 11, 11, Cnv_Rgb(200, 60, 40), Cnv_Rgb(240, 230, 200), roofGrey, "Rail bus trailer", kAlt)});
  add(6258, 40100, "Long diesel railcars", {
      diesel(V(0, AVH_RAILCAR, 88, 11, 11, teal, white, silver, "Regional diesel unit", kPowered | kAlt | kLong), 40),
      V(1, AVH_CONTROL_CAR, 88, 11, 11, teal, white, silver, "Regional diesel unit, driving trailer", kAlt | kLong),
      diesel(V(2, AVH_RAILCAR, 80, 11, 11, white, lime, silver, "Diesel unit", kPowered | kAlt | kLong), 36),
      V(3, AVH_COACH, 80, 11, 11, white, lime, silver, "Diesel unit, middle car", kAlt | kLong)});
  add(20002, 40110, "More buses", {
      V(0, AVH_BUS, 48, 10, 10, red, white, Cnv_Rgb(220, 220, 214), "Red city bus", kPowered | kAlt),
      V(1, AVH_BUS, 48, 10, 10, green, cream, Cnv_Rgb(220, 220, 214), "Country bus", kPowered | kAlt),
      V(2, AVH_BUS, 56, 10, 10, white, sky, Cnv_Rgb(220, 220, 214), "Long coach", kPowered | kAlt),
      V(3, AVH_BUS, 40, 10, 10, orange, white, Cnv_Rgb(220, 220, 214), "Minibus", kPowered | kAlt)});
  add(20011, 40120, "Short electric units", {
      V(0, AVH_EMU_HEAD, 80, 14, 11, sky, white, silver, "Suburban unit, driving car", kPowered | kAlt | kLong),
      V(1, AVH_EMU_MIDDLE, 76, 14, 11, sky, white, silver, "Suburban unit, middle car", kPowered | kAlt),
      V(2, AVH_EMU_HEAD, 72, 14, 11, yellow, grey, silver, "City unit, driving car", kPowered | kAlt | kLong),
      V(3, AVH_EMU_MIDDLE, 68, 14, 11, yellow, grey, silver, "City unit, middle car", kPowered | kAlt)});
  add(20012, 40130, "Intercity electric units", {
      V(0, AVH_EMU_HEAD, 104, 14, 11, white, darkBlue, silver, "Fast unit, driving car", kPowered | kAlt | kLong),
      V(1, AVH_EMU_MIDDLE, 104, 14, 11, white, darkBlue, silver, "Fast unit, middle car", kPowered | kAlt | kLong),
      V(2, AVH_EMU_MIDDLE, 104, 14, 11, white, gold, silver, "Fast unit, first class", kPowered | kAlt | kLong),
      V(3, AVH_EMU_HEAD, 104, 14, 11, silver, red, Cnv_Rgb(120, 124, 128), "Silver unit, driving car", kPowered | kAlt | kLong),
      V(4, AVH_EMU_MIDDLE, 104, 14, 11, silver, red, Cnv_Rgb(120, 124, 128), "Silver unit, middle car", kPowered | kAlt | kLong)});
  add(20021, 40140, "Modern trams", {
      V(0, AVH_TRAM_HEAD, 56, 14, 10, green, white, Cnv_Rgb(200, 200, 200), "Green tram front", kPowered | kAlt),
      V(1, AVH_TRAM_MIDDLE, 40, 14, 10, green, white, Cnv_Rgb(200, 200, 200), "Green tram middle", kAlt),
      V(2, AVH_TRAM_HEAD, 56, 14, 10, blue, yellow, Cnv_Rgb(200, 200, 200), "Blue tram front", kPowered | kAlt),
      V(3, AVH_TRAM_MIDDLE, 40, 14, 10, blue, yellow, Cnv_Rgb(200, 200, 200), "Blue tram middle", kAlt),
      V(4, AVH_TRAM_HEAD, 48, 14, 10, white, orange, Cnv_Rgb(200, 200, 200), "Short tram", kPowered | kAlt)});
  add(20022, 40150, "Old trams", {
      V(0, AVH_TRAM_CLASSIC, 44, 14, 10, yellow, maroon, Cnv_Rgb(120, 120, 120), "Yellow motor tram", kPowered | kAlt),
      V(1, AVH_TRAM_CLASSIC, 40, 14, 10, yellow, maroon, Cnv_Rgb(120, 120, 120), "Yellow trailer", kAlt),
      V(2, AVH_TRAM_CLASSIC, 44, 14, 10, blue, cream, Cnv_Rgb(120, 120, 120), "Blue motor tram", kPowered | kAlt),
      V(3, AVH_TRAM_CLASSIC, 40, 14, 10, blue, cream, Cnv_Rgb(120, 120, 120), "Blue trailer", kAlt)});
  add(40311, 40160, "Container wagons", {
      V(0, AVH_CONTAINER, 64, 10, 11, blue, orange, grey, "Container wagon, two boxes"),
      V(1, AVH_CONTAINER, 80, 10, 11, Cnv_Rgb(40, 120, 60), maroon, grey, "Long container wagon"),
      V(2, AVH_CONTAINER, 44, 10, 11, white, white, grey, "Short container wagon"),
      V(3, AVH_CONTAINER, 64, 10, 11, maroon, Cnv_Rgb(200, 200, 200), grey, "Container wagon, mixed boxes"),
      V(4, AVH_CONTAINER, 80, 10, 11, yellow, sky, grey, "Long container wagon, bright boxes")});
  add(40312, 40170, "Car carriers", {
      V(0, AVH_CAR_CARRIER, 96, 11, 11, Cnv_Rgb(90, 100, 110), grey, grey, "Double-deck car carrier", kLong),
      V(1, AVH_CAR_CARRIER, 64, 11, 11, Cnv_Rgb(120, 60, 50), grey, grey, "Short car carrier"),
      V(2, AVH_CAR_CARRIER, 80, 11, 11, Cnv_Rgb(60, 80, 120), grey, grey, "Car carrier"),
      V(3, AVH_CAR_CARRIER, 96, 11, 11, Cnv_Rgb(200, 200, 196), grey, grey, "White car carrier", kLong),
      V(4, AVH_CAR_CARRIER, 72, 11, 11, Cnv_Rgb(60, 110, 70), grey, grey, "Green car carrier")});
  add(40313, 40180, "Coal and ore wagons", {
      V(0, AVH_HOPPER, 40, 10, 11, rust, Cnv_Rgb(30, 30, 30), grey, "Coal hopper, rusty"),
      V(1, AVH_HOPPER, 48, 10, 11, Cnv_Rgb(50, 54, 60), Cnv_Rgb(120, 70, 50), grey, "Ore hopper"),
      V(2, AVH_OPEN, 48, 9, 11, Cnv_Rgb(70, 90, 70), Cnv_Rgb(40, 52, 40), grey, "Long open wagon"),
      V(3, AVH_OPEN, 32, 9, 11, brown, Cnv_Rgb(80, 50, 30), grey, "Short open wagon"),
      V(4, AVH_HOPPER, 40, 10, 11, Cnv_Rgb(150, 140, 120), Cnv_Rgb(200, 190, 170), grey, "Ballast hopper")});
  add(40314, 40190, "Tank wagons", {
      V(0, AVH_TANK, 44, 10, 11, yellow, black, black, "Gas tank wagon"),
      V(1, AVH_TANK, 48, 10, 11, white, red, white, "Milk tank wagon"),
      V(2, AVH_TANK, 40, 10, 11, Cnv_Rgb(60, 110, 70), white, Cnv_Rgb(60, 110, 70), "Oil tank wagon, green"),
      V(3, AVH_TANK, 56, 10, 11, silver, blue, silver, "Long tank wagon"),
      V(4, AVH_TANK, 36, 10, 11, black, yellow, black, "Short tar wagon")});
  add(40315, 40200, "Timber and steel wagons", {
      V(0, AVH_FLAT, 56, 8, 11, Cnv_Rgb(80, 70, 64), Cnv_Rgb(190, 140, 90), grey, "Long timber wagon"),
      V(1, AVH_FLAT, 40, 8, 11, Cnv_Rgb(80, 70, 64), Cnv_Rgb(150, 100, 60), grey, "Short timber wagon"),
      V(2, AVH_STAKE, 48, 9, 11, Cnv_Rgb(70, 66, 62), steel, grey, "Coil wagon"),
      V(3, AVH_STAKE, 64, 9, 11, Cnv_Rgb(100, 60, 40), Cnv_Rgb(176, 150, 120), grey, "Long coil wagon")});
  add(40316, 40210, "Covered wagons", {
      V(0, AVH_BOX, 40, 10, 11, maroon, Cnv_Rgb(70, 20, 24), roofGrey, "Short box wagon"),
      V(1, AVH_BOX, 56, 10, 11, Cnv_Rgb(60, 80, 120), Cnv_Rgb(30, 40, 70), roofGrey, "Long box wagon"),
      V(2, AVH_INSULATED, 48, 10, 11, Cnv_Rgb(236, 236, 232), Cnv_Rgb(200, 60, 40), roofGrey, "Beer wagon"),
      V(3, AVH_GRAIN, 48, 11, 11, beige, Cnv_Rgb(120, 90, 50), Cnv_Rgb(170, 160, 130), "Grain hopper"),
      V(4, AVH_GRAIN, 56, 11, 11, Cnv_Rgb(170, 176, 180), Cnv_Rgb(40, 80, 140), Cnv_Rgb(140, 146, 150), "Cement hopper")});
  add(40317, 40220, "Brake vans", {
      V(0, AVH_BRAKE_VAN, 32, 10, 11, brown, cream, roofGrey, "Wooden brake van"),
      V(1, AVH_BRAKE_VAN, 36, 10, 11, Cnv_Rgb(40, 70, 120), cream, roofGrey, "Steel brake van"),
      V(2, AVH_BRAKE_VAN, 32, 10, 11, red, yellow, roofGrey, "Red brake van")});
  add(40322, 40230, "Early steam locomotives", {
      steam(V(0, AVH_TANK_LOCO, 40, 12, 11, dgreen, gold, black, "Small tank engine", kPowered)),
      steam(V(1, AVH_TANK_LOCO, 44, 12, 11, maroon, gold, black, "Tank engine, maroon", kPowered)),
      steam(V(2, AVH_STEAM, 56, 12, 11, olive, gold, black, "Light goods engine", kPowered)),
      V(3, AVH_TENDER, 32, 11, 11, olive, gold, black, "Small tender"),
      steam(V(4, AVH_TANK_LOCO, 36, 12, 11, black, red, black, "Works tank engine", kPowered))});
  add(40323, 40240, "Express steam locomotives", {
      steam(V(0, AVH_STEAM, 88, 12, 11, darkBlue, gold, black, "Blue express engine", kPowered)),
      V(1, AVH_TENDER, 56, 11, 11, darkBlue, gold, black, "Blue express tender"),
      steam(V(2, AVH_STEAM, 88, 12, 11, maroon, gold, black, "Red express engine", kPowered)),
      V(3, AVH_TENDER, 56, 11, 11, maroon, gold, black, "Red express tender"),
      steam(V(4, AVH_STEAM, 80, 12, 11, dgreen, gold, black, "Green express engine", kPowered)),
      V(5, AVH_TENDER, 48, 11, 11, dgreen, gold, black, "Green express tender")});
  add(40324, 40250, "Heavy goods steam", {
      steam(V(0, AVH_STEAM, 80, 12, 11, black, red, black, "Heavy goods engine", kPowered)),
      V(1, AVH_TENDER, 48, 11, 11, black, red, black, "Heavy tender"),
      steam(V(2, AVH_TANK_LOCO, 56, 12, 11, black, red, black, "Heavy tank engine", kPowered)),
      steam(V(3, AVH_STEAM, 72, 12, 11, Cnv_Rgb(60, 60, 64), white, black, "Grey goods engine", kPowered)),
      V(4, AVH_TENDER, 44, 11, 11, Cnv_Rgb(60, 60, 64), white, black, "Grey tender")});
  add(40330, 40260, "Regional coaches", {
      V(0, AVH_COACH, 88, 11, 11, green, cream, roofGrey, "Regional coach", kAlt | kLong),
      V(1, AVH_CONTROL_CAR, 88, 11, 11, green, cream, roofGrey, "Regional driving trailer", kAlt | kLong),
      V(2, AVH_COACH, 88, 11, 11, red, white, roofGrey, "Red regional coach", kAlt | kLong),
      V(3, AVH_CONTROL_CAR, 88, 11, 11, red, white, roofGrey, "Red driving trailer", kAlt | kLong),
      V(4, AVH_BAGGAGE, 72, 11, 11, red, white, roofGrey, "Red baggage car")});
  add(40331, 40270, "Blue intercity coaches", {
      V(0, AVH_COACH, 104, 11, 11, darkBlue, white, silver, "Blue intercity coach", kAlt | kLong),
      V(1, AVH_COACH, 104, 11, 11, darkBlue, gold, silver, "Blue intercity first class", kAlt | kLong),
      V(2, AVH_COACH, 104, 11, 11, maroon, white, silver, "Restaurant car", kAlt | kLong),
      V(3, AVH_BAGGAGE, 88, 11, 11, darkBlue, white, silver, "Blue luggage van")});
  add(40332, 40280, "Night trains", {
      V(0, AVH_COACH, 104, 11, 11, darkBlue, gold, roofGrey, "Sleeping car", kAlt | kLong),
      V(1, AVH_COACH, 104, 11, 11, purple, white, roofGrey, "Couchette car", kAlt | kLong),
      V(2, AVH_COACH, 96, 11, 11, Cnv_Rgb(60, 50, 90), silver, roofGrey, "Night coach", kAlt | kLong),
      V(3, AVH_BAGGAGE, 80, 11, 11, darkBlue, gold, roofGrey, "Car-carrier van")});
  add(40333, 40290, "Old wooden coaches", {
      V(0, AVH_COACH, 64, 11, 11, brown, Cnv_Rgb(200, 170, 110), roofGrey, "Wooden coach", kAlt),
      V(1, AVH_COACH, 64, 11, 11, olive, Cnv_Rgb(200, 170, 110), roofGrey, "Wooden coach, olive", kAlt),
      V(2, AVH_COACH, 56, 11, 11, maroon, gold, roofGrey, "Short wooden coach", kAlt),
      V(3, AVH_BAGGAGE, 48, 11, 11, brown, Cnv_Rgb(200, 170, 110), roofGrey, "Wooden baggage van")});
  add(40511, 40300, "Diesel shunters", {
      diesel(V(0, AVH_SHUNTER, 36, 11, 11, red, white, roofGrey, "Red shunter", kPowered), 10),
      diesel(V(1, AVH_SHUNTER, 44, 11, 11, yellow, black, roofGrey, "Yellow shunter", kPowered), 12),
      diesel(V(2, AVH_SHUNTER, 40, 11, 11, dgreen, yellow, roofGrey, "Green shunter", kPowered), 10),
      diesel(V(3, AVH_DIESEL_HOOD, 56, 12, 11, blue, yellow, roofGrey, "Yard diesel", kPowered), 40)});
  add(40512, 40310, "Main-line diesels", {
      diesel(V(0, AVH_DIESEL_CAB, 76, 12, 11, red, white, roofGrey, "Red main-line diesel", kPowered), 38),
      diesel(V(1, AVH_DIESEL_CAB, 80, 12, 11, dgreen, yellow, roofGrey, "Green main-line diesel", kPowered), 40),
      diesel(V(2, AVH_DIESEL_HOOD, 68, 12, 11, darkBlue, white, roofGrey, "Freight diesel", kPowered), 50),
      diesel(V(3, AVH_DIESEL_CAB, 72, 12, 11, grey, yellow, roofGrey, "Grey main-line diesel", kPowered), 36),
      diesel(V(4, AVH_DIESEL_HOOD, 64, 12, 11, orange, darkBlue, roofGrey, "Orange road diesel", kPowered), 48)});
  add(40741, 40320, "Electric locomotives", {
      V(0, AVH_ELECTRIC, 64, 14, 11, blue, white, Cnv_Rgb(120, 124, 128), "Blue electric", kPowered | kAlt),
      V(1, AVH_ELECTRIC, 68, 14, 11, dgreen, yellow, Cnv_Rgb(120, 124, 128), "Green electric", kPowered | kAlt),
      V(2, AVH_ELECTRIC, 72, 14, 11, silver, red, Cnv_Rgb(110, 114, 118), "Silver electric", kPowered | kAlt),
      V(3, AVH_ELECTRIC, 60, 14, 11, orange, grey, Cnv_Rgb(120, 124, 128), "Orange electric", kPowered | kAlt)});
  add(40742, 40330, "Electric freight locomotives", {
      V(0, AVH_ELECTRIC, 80, 14, 11, brown, gold, Cnv_Rgb(110, 110, 110), "Heavy brown electric", kPowered | kAlt),
      V(1, AVH_ELECTRIC, 76, 14, 11, Cnv_Rgb(60, 60, 66), yellow, Cnv_Rgb(120, 124, 128), "Grey freight electric", kPowered | kAlt),
      V(2, AVH_ELECTRIC, 72, 14, 11, teal, white, Cnv_Rgb(120, 124, 128), "Teal freight electric", kPowered | kAlt),
      V(3, AVH_ELECTRIC, 88, 14, 11, Cnv_Rgb(40, 60, 50), lime, Cnv_Rgb(110, 110, 110), "Twin-section electric", kPowered | kAlt),
      V(4, AVH_ELECTRIC, 56, 14, 11, red, white, Cnv_Rgb(120, 124, 128), "Shunting electric", kPowered | kAlt)});
  std::sort(sets.begin(), sets.end(), [](const AvhSet& l, const AvhSet& r) { return l.number < r.number; });
  return sets;
}

const std::vector<AvhSet>& Catalogue() {
  static const std::vector<AvhSet> sets = BuildCatalogue();
  return sets;
}

// ---------------------------------------------------------------- side view
// Drawn facing right (front at x = L); the other side is drawn mirrored.
bool IsRoad(int k) { return k == AVH_BUS; }

void Wheels(Canvas* c, float x0, float x1, int count, float r) {
  if (count == 1) {
    Cnv_Ellipse(c, (x0 + x1) / 2, r, r, r, kWheel);
    return;
  }
  for (int i = 0; i < count; ++i) {
    float x = x0 + (x1 - x0) * float(i) / float(count - 1);
    Cnv_Ellipse(c, x, r, r, r, kWheel);
    if (c->zoom >= 2) Cnv_Ellipse(c, x, r, r * 0.35f, r * 0.35f, Cnv_Rgb(120, 120, 120));
  }
}

void Bogie(Canvas* c, float cx, float r) {
  Cnv_Rect(c, cx - 5.5f, r * 0.8f, 11, 1.4f, kBlackish);
  Wheels(c, cx - 3.2f, cx + 3.2f, 2, r);
}

// Passenger windows are lit at night (window class 0).
void WindowRow(Canvas* c, float x0, float x1, float y, float h, float pitch, float w) {
  Cnv_SetTag(c, CNV_WINDOW);
  for (float x = x0; x + w <= x1 + 0.01f; x += pitch) Cnv_Rect(c, x, y, w, h, kWindow);
  Cnv_SetTag(c, 0);
}

// A head lamp: lit at night.
void HeadLight(Canvas* c, float x, float y, float w, float h) {
  Cnv_SetTag(c, CNV_LAMP);
  Cnv_Rect(c, x, y, w, h, kLight);
  Cnv_SetTag(c, 0);
}

void Buffers(Canvas* c, float L, float y) {
  Cnv_Rect(c, -0.2f, y, 1.2f, 1.2f, kBuffer);
  Cnv_Rect(c, L - 1.0f, y, 1.2f, 1.2f, kBuffer);
}

void RoundedRoof(Canvas* c, float x0, float x1, float y, float h, u32 roof) {
  Cnv_Rect(c, x0 + 1, y, x1 - x0 - 2, h, roof);
  Cnv_Rect(c, x0, y, x1 - x0, h * 0.5f, Cnv_Shade(roof, 0.9f));
}

// A raised pantograph stands on the roof inside the picture: a frame on
// insulators, a lower and an upper arm, and a wide collector bar on top that
// reads at zoom 1; a lowered one lies folded on the roof. Vehicles with a
// pantograph keep kPantoRoom units free above the roof.
const float kPantoRoom = 3.7f;

void Pantograph(Canvas* c, float x, float top, bool lowered = false) {
  const u32 frame = Cnv_Rgb(44, 44, 48), arm = Cnv_Rgb(70, 70, 76), insulator = Cnv_Rgb(170, 120, 60);
  Cnv_Rect(c, x - 2.5f, top, 1, 0.7f, insulator);
  Cnv_Rect(c, x + 1.5f, top, 1, 0.7f, insulator);
  Cnv_Rect(c, x - 2.5f, top + 0.6f, 5, 0.6f, frame);
  if (lowered) {
    Cnv_Line(c, x - 2, top + 1.3f, x + 2.5f, top + 1.5f, 0.6f, arm);
    Cnv_Rect(c, x - 3.2f, top + 1.2f, 2, 0.6f, frame);
    return;
  }
  Cnv_Line(c, x - 1.8f, top + 1.0f, x + 1.0f, top + 2.1f, 0.6f, arm);
  Cnv_Line(c, x + 1.0f, top + 2.1f, x - 0.8f, top + 3.2f, 0.6f, arm);
  Cnv_Rect(c, x - 3.2f, top + 3.0f, 6.4f, 0.65f, frame);
}

// An open door shows the lit inside of the vehicle.
const u32 kDoorOpen = Cnv_Rgb(226, 204, 140);

// The side view of every kind is drawn facing right, its frame on the rails:
// wheels of radius kWheelR, the floor at kFloorY.
const float kWheelR = 1.5f, kFloorY = 2.6f;

// Steam locomotives with a tender or with their own tanks and bunker.
void DrawSteamSide(Canvas* c, const AvhVehicle* v) {
  const float L = float(v->length), A = float(v->a);
  bool tank = v->kind == AVH_TANK_LOCO;
  float cabX = tank ? 4 : 6, cabW = tank ? 11 : 13;
  // Frame, coupled driving wheels under the boiler, a pony truck in front.
  Cnv_Rect(c, 1, 2.2f, L - 2, 1.4f, kBlackish);
  float big = 2.5f, pitch = 5.6f;
  float first = tank ? L * 0.28f : L * 0.36f;
  for (int i = 0; i < 3; ++i) {
    float x = first + float(i) * pitch;
    Cnv_Ellipse(c, x, big, big, big, Cnv_Shade(v->trim, 0.8f));
    Cnv_Ellipse(c, x, big, big * 0.45f, big * 0.45f, kWheel);
  }
  Cnv_Line(c, first, big, first + 2 * pitch, big, 0.6f, Cnv_Rgb(190, 190, 190));
  Cnv_Line(c, first + 2 * pitch, big, first + 2 * pitch + 5, big + 0.6f, 0.6f, Cnv_Rgb(190, 190, 190));
  Cnv_Rect(c, first + 2 * pitch + 3.5f, 2.6f, 4, 2.4f, Cnv_Rgb(50, 50, 54));  // cylinder
  if (!tank) Wheels(c, L - 8, L - 8, 1, 1.3f);
  Wheels(c, cabX + 4, cabX + 4, 1, 1.3f);
  // Boiler, smokebox, chimney, dome.
  float by = 4.2f, bh = A - 6.2f;
  Cnv_Rect(c, cabX + cabW, by, L - cabX - cabW - 3, bh, v->body);
  Cnv_Rect(c, cabX + cabW, by + bh * 0.62f, L - cabX - cabW - 3, bh * 0.18f, Cnv_Shade(v->body, 1.6f));
  Cnv_Rect(c, cabX + cabW, by, L - cabX - cabW - 3, bh * 0.25f, Cnv_Shade(v->body, 0.7f));
  for (float bx = cabX + cabW + 6; bx < L - 8; bx += 9) Cnv_Rect(c, bx, by, 0.6f, bh, Cnv_Shade(v->body, 0.7f));
  Cnv_Rect(c, cabX + cabW, by - 0.2f, L - cabX - cabW - 2, 0.7f, v->trim);  // running board
  Cnv_Rect(c, L - 6, by - 0.3f, 4, bh + 0.6f, Cnv_Rgb(36, 36, 38));
  Cnv_Rect(c, L - 5.3f, by + bh, 2.2f, 3.2f, Cnv_Rgb(30, 30, 30));
  Cnv_Rect(c, L - 5.8f, by + bh + 2.6f, 3.2f, 0.8f, Cnv_Rgb(30, 30, 30));
  Cnv_Ellipse(c, (cabX + cabW + L - 6) / 2, by + bh, 1.8f, 1.4f, v->trim);
  if (tank) Cnv_Rect(c, cabX + cabW, by, (L - cabX - cabW) * 0.6f, bh * 0.75f, Cnv_Shade(v->body, 1.15f));
  // Cab with window and roof.
  Cnv_Rect(c, cabX, by - 0.5f, cabW, A - by + 0.2f, v->body);
  Cnv_Rect(c, cabX + cabW * 0.45f, A - 4.3f, cabW * 0.35f, 2.4f, kWindowDark);
  Cnv_Rect(c, cabX - 0.8f, A - 1.2f, cabW + 1.6f, 1.2f, Cnv_Shade(v->body, 0.7f));
  if (tank) Cnv_Rect(c, 1, 3.6f, cabX, 4, v->body);
  Cnv_Rect(c, cabX, by - 0.5f, cabW, 0.8f, v->trim);
  Buffers(c, L, 3.0f);
  HeadLight(c, L - 1.5f, 3.4f, 1.2f, 0.8f);
}

void DrawTenderSide(Canvas* c, const AvhVehicle* v) {
  const float L = float(v->length), A = float(v->a);
  Wheels(c, 7, L - 7, 3, 1.4f);
  Cnv_Rect(c, 1, 2.3f, L - 2, 1.2f, kBlackish);
  Cnv_Rect(c, 1.5f, 3.5f, L - 3, A - 5.5f, v->body);
  Cnv_Rect(c, 1.5f, 3.5f, L - 3, 0.8f, v->trim);
  Cnv_Rect(c, 3, A - 2, L - 8, 2, Cnv_Rgb(28, 28, 28));
  Cnv_Ellipse(c, L * 0.45f, A - 1.4f, L * 0.28f, 1.5f, Cnv_Rgb(20, 20, 22));
  Buffers(c, L, 3.0f);
}

// Diesel locomotives with a hood and one cab: the road engine on bogies, the
// shunter on three axles with its cab at the rear.
void DrawHoodSide(Canvas* c, const AvhVehicle* v) {
  const float L = float(v->length), A = float(v->a);
  bool small = v->kind == AVH_SHUNTER;
  if (small) {
    Wheels(c, 8, L - 8, 3, 1.5f);
  } else {
    Bogie(c, 11, kWheelR);
    Bogie(c, L - 11, kWheelR);
  }
  Cnv_Rect(c, 1, kFloorY, L - 2, 1.2f, kBlackish);
  float cabX = small ? 2 : L - 24, cabW = small ? 12 : 11;
  // Long hood, cab, short hood.
  Cnv_Rect(c, 3, kFloorY + 1, L - 6, A - 6, v->body);
  Cnv_Rect(c, cabX, kFloorY + 1, cabW, A - kFloorY - 1, v->body);
  Cnv_Rect(c, cabX + 1.5f, A - 4.5f, cabW - 3, 2.6f, kWindowDark);
  Cnv_Rect(c, cabX - 0.5f, A - 1, cabW + 1, 1, Cnv_Shade(v->body, 0.75f));
  for (float x = 5; x < cabX - 2; x += 4) Cnv_Rect(c, x, kFloorY + 2.5f, 2.4f, 1.6f, Cnv_Shade(v->body, 0.78f));
  for (float s = 2; s < L - 2; s += 5) Cnv_Rect(c, s, kFloorY + 1, 2.5f, 0.8f, v->trim);
  Cnv_Rect(c, cabX + cabW * 0.4f, A - 6.6f, 2, 1.4f, Cnv_Rgb(60, 60, 60));
  // The exhaust stack on the long hood, where the smoke source lies.
  float stack = small ? L - 12 : L - 50;
  Cnv_Rect(c, stack, A - 2.6f, 2, 1.2f, Cnv_Rgb(44, 44, 46));
  Buffers(c, L, 2.8f);
  HeadLight(c, L - 1.6f, 3.8f, 1.2f, 0.9f);
}

// Everything with a long body on two bogies: cab locomotives, railcars,
// control cars, multiple units, coaches and baggage cars.
void DrawCarBodySide(Canvas* c, const AvhVehicle* v, bool alt) {
  const float L = float(v->length), A = float(v->a);
  const int k = v->kind;
  bool loco = k == AVH_DIESEL_CAB || k == AVH_ELECTRIC;
  bool cabFront = loco || k == AVH_RAILCAR || k == AVH_CONTROL_CAR || k == AVH_EMU_HEAD;
  bool cabRear = loco;
  bool multipleUnit = k == AVH_EMU_HEAD || k == AVH_EMU_MIDDLE;
  // Raised pantographs stand inside the picture, above the roof.
  float top = A;
  if (k == AVH_ELECTRIC || multipleUnit) top = A - kPantoRoom;
  Bogie(c, 10, kWheelR);
  Bogie(c, L - 10, kWheelR);
  Cnv_Rect(c, 1, kFloorY, L - 2, 1.0f, kBlackish);
  float bodyTop = top - 1.6f;
  Cnv_Rect(c, 0.5f, kFloorY + 0.8f, L - 1, bodyTop - kFloorY - 0.8f, v->body);
  RoundedRoof(c, 0.5f, L - 0.5f, bodyTop, 1.6f, v->roof);
  // A stripe in the trim colour below the windows.
  Cnv_Rect(c, 0.5f, kFloorY + 2.0f, L - 1, 1.1f, v->trim);
  if (multipleUnit) Cnv_Rect(c, 0.5f, bodyTop - 1.0f, L - 1, 0.7f, v->trim);
  float winY = kFloorY + 3.7f, winH = std::max(1.4f, bodyTop - winY - 1.2f);
  if (loco) {
    // Side grilles and small windows between the cabs.
    for (float x = 12; x < L - 12; x += 5) Cnv_Rect(c, x, winY, 3.2f, winH, Cnv_Shade(v->body, 0.72f));
  } else if (k == AVH_BAGGAGE) {
    Cnv_Rect(c, L * 0.3f, kFloorY + 0.8f, 8, bodyTop - kFloorY - 1.5f, Cnv_Shade(v->body, 0.8f));
    Cnv_Rect(c, L * 0.62f, kFloorY + 0.8f, 8, bodyTop - kFloorY - 1.5f, Cnv_Shade(v->body, 0.8f));
    WindowRow(c, 4, 12, winY, winH, 4, 2.4f);
  } else {
    float x0 = cabFront ? 8 : 6, x1 = L - (cabFront ? 14 : 6);
    WindowRow(c, x0, x1, winY, winH, 5, 3.6f);
    // Doors near both ends.
    u32 door = alt ? kDoorOpen : Cnv_Shade(v->body, 0.82f);
    Cnv_Rect(c, 2.2f, kFloorY + 0.8f, 2.6f, bodyTop - kFloorY - 1.3f, door);
    Cnv_Rect(c, L - 4.8f - (cabFront ? 7 : 0), kFloorY + 0.8f, 2.6f, bodyTop - kFloorY - 1.3f, door);
  }
  if (cabFront) {
    Cnv_Rect(c, L - 6, winY, 4.5f, winH, kWindowDark);
    HeadLight(c, L - 1.6f, kFloorY + 1.2f, 1.0f, 0.9f);
  }
  if (cabRear) Cnv_Rect(c, 1.5f, winY, 4.5f, winH, kWindowDark);
  if (k == AVH_ELECTRIC) {
    Pantograph(c, 18, top, alt);
    Pantograph(c, L - 14, top, alt);
  }
  if (multipleUnit) Pantograph(c, k == AVH_EMU_HEAD ? L - 30 : 24, top, alt);
  if (k == AVH_DIESEL_CAB || k == AVH_RAILCAR) Cnv_Rect(c, L * 0.45f, top - 0.3f, 4, 1, Cnv_Rgb(60, 60, 60));
  Buffers(c, L, kFloorY + 0.3f);
}

// Covered goods wagons on two axles: box wagons (insulated ones with a band
// under the roof) and brake vans with their windows and tail lamp.
void DrawCoveredSide(Canvas* c, const AvhVehicle* v) {
  const float L = float(v->length), top = float(v->a);
  Wheels(c, 9, L - 9, 2, kWheelR);
  Cnv_Rect(c, 1, kFloorY - 0.2f, L - 2, 1.2f, kBlackish);
  float bodyTop = top - 1.2f;
  Cnv_Rect(c, 1.5f, kFloorY + 0.8f, L - 3, bodyTop - kFloorY - 0.8f, v->body);
  RoundedRoof(c, 1.5f, L - 1.5f, bodyTop, 1.2f, v->roof);
  if (v->kind != AVH_BRAKE_VAN) {
    for (float x = 3; x < L - 2; x += 3) Cnv_Rect(c, x, kFloorY + 0.8f, 0.45f, bodyTop - kFloorY - 0.8f, Cnv_Shade(v->body, 0.8f));
    Cnv_FramedRect(c, L / 2 - 5, kFloorY + 1.0f, 10, bodyTop - kFloorY - 1.6f, Cnv_Shade(v->body, 0.92f), v->trim);
    if (v->kind == AVH_INSULATED) Cnv_Rect(c, 1.5f, bodyTop - 2.2f, L - 3, 0.9f, v->trim);
  } else {
    Cnv_Rect(c, 6, kFloorY + 4, 3, 2.2f, kWindow);
    Cnv_Rect(c, L - 9, kFloorY + 4, 3, 2.2f, kWindow);
    Cnv_Rect(c, L / 2 - 3, top - 0.2f, 6, 1.4f, v->roof);
    Cnv_Rect(c, L - 1.8f, kFloorY + 1.2f, 1.0f, 0.9f, Cnv_Rgb(230, 40, 30));
  }
  Buffers(c, L, kFloorY);
}

void DrawTankSide(Canvas* c, const AvhVehicle* v) {
  const float L = float(v->length), top = float(v->a);
  Wheels(c, 8, L - 8, 2, kWheelR);
  Cnv_Rect(c, 1, kFloorY - 0.2f, L - 2, 1.2f, kBlackish);
  float cy = (kFloorY + top) / 2 + 0.4f, rad = (top - kFloorY) / 2 - 0.3f;
  Cnv_Rect(c, 3 + rad * 0.5f, cy - rad, L - 6 - rad, 2 * rad, v->body);
  Cnv_Ellipse(c, 3 + rad * 0.5f, cy, rad * 0.5f, rad, Cnv_Shade(v->body, 0.85f));
  Cnv_Ellipse(c, L - 3 - rad * 0.5f, cy, rad * 0.5f, rad, Cnv_Shade(v->body, 0.85f));
  Cnv_Rect(c, 4, cy + rad * 0.45f, L - 8, rad * 0.35f, Cnv_Shade(v->body, 1.25f));
  Cnv_Rect(c, 4, cy - 0.4f, L - 8, 0.8f, v->trim);
  Cnv_Rect(c, L / 2 - 2, top - 0.8f, 4, 0.8f, Cnv_Shade(v->body, 0.7f));
  Buffers(c, L, kFloorY);
}

void DrawFlatSide(Canvas* c, const AvhVehicle* v) {
  const float L = float(v->length), top = float(v->a);
  Wheels(c, 9, L - 9, 2, kWheelR);
  Cnv_Rect(c, 1, kFloorY, L - 2, 1.6f, v->body);
  for (float x = 4; x < L - 3; x += 8) Cnv_Rect(c, x, kFloorY + 1.6f, 0.7f, top - kFloorY - 1.6f, Cnv_Rgb(70, 60, 50));
  // Timber load: logs seen end-on at the ends, bark along the side.
  Cnv_Rect(c, 3, kFloorY + 1.6f, L - 6, top - kFloorY - 2.2f, v->trim);
  for (float y = kFloorY + 2.4f; y < top - 1; y += 1.6f) Cnv_Rect(c, 3, y, L - 6, 0.35f, Cnv_Shade(v->trim, 0.7f));
  Buffers(c, L, kFloorY);
}

// Open wagons on two axles: hoppers with sloped ends and a heaped load, and
// open wagons with planks.
void DrawOpenSide(Canvas* c, const AvhVehicle* v) {
  const float L = float(v->length), top = float(v->a);
  Wheels(c, 8, L - 8, 2, kWheelR);
  Cnv_Rect(c, 1, kFloorY - 0.2f, L - 2, 1.2f, kBlackish);
  if (v->kind == AVH_HOPPER) {
    float p[12] = {2, top - 1, L - 2, top - 1, L - 2, kFloorY + 3, L - 10, kFloorY + 1, 10, kFloorY + 1, 2, kFloorY + 3};
    Cnv_FillPoly(c, p, 6, v->body);
    for (float x = 6; x < L - 4; x += 7) Cnv_Rect(c, x, kFloorY + 1.5f, 0.6f, top - kFloorY - 2.5f, Cnv_Shade(v->body, 0.75f));
    Cnv_Ellipse(c, L / 2, top - 0.8f, L / 2 - 3, 1.3f, v->trim);
  } else {
    Cnv_Rect(c, 1.5f, kFloorY + 0.8f, L - 3, top - kFloorY - 0.8f, v->body);
    for (float x = 1.5f; x < L - 1; x += 4) Cnv_Rect(c, x, kFloorY + 0.8f, 0.5f, top - kFloorY - 0.8f, v->trim);
    Cnv_Rect(c, 1.5f, top - 0.8f, L - 3, 0.8f, Cnv_Shade(v->body, 1.2f));
  }
  Buffers(c, L, kFloorY);
}

// Trams: the head car and the classic car have a cab, wheels near both ends
// and, when powered, a pantograph; a middle car rides on one central truck.
void DrawTramSide(Canvas* c, const AvhVehicle* v, bool alt) {
  const float L = float(v->length), A = float(v->a);
  const bool cab = v->kind == AVH_TRAM_HEAD || v->kind == AVH_TRAM_CLASSIC;
  float top = A - kPantoRoom;
  if (cab) {
    Wheels(c, 8, 14, 2, 1.2f);
    Wheels(c, L - 14, L - 8, 2, 1.2f);
  } else {
    Wheels(c, L / 2 - 3, L / 2 + 3, 2, 1.2f);
  }
  float bodyTop = top - 1.2f;
  float p[10] = {0.5f, 1.2f, L - 2.5f, 1.2f, L - 0.5f, 3.5f, L - 0.5f, bodyTop, 0.5f, bodyTop};
  if (!cab) p[4] = L - 0.5f, p[5] = 1.2f;
  Cnv_FillPoly(c, p, 5, v->body);
  RoundedRoof(c, 0.5f, L - 0.5f, bodyTop, 1.2f, v->roof);
  Cnv_Rect(c, 0.5f, 2.2f, L - 1, 1.4f, v->trim);
  float winY = 4.4f, winH = bodyTop - winY - 0.8f;
  WindowRow(c, 3, L - 6, winY, winH, 4.5f, 3.4f);
  Cnv_Rect(c, L * 0.35f, 1.2f, 3, bodyTop - 1.7f, alt ? kDoorOpen : kWindowDark);
  if (cab) {
    Cnv_Rect(c, L - 3, winY, 2.5f, winH, kWindowDark);
    HeadLight(c, L - 1.6f, 2.6f, 1.0f, 0.8f);
    if (v->flags & kPowered) Pantograph(c, L * 0.5f, top, alt);
  }
}

void DrawBusSide(Canvas* c, const AvhVehicle* v, bool alt) {
  const float L = float(v->length), top = float(v->a);
  Cnv_Ellipse(c, 8, 1.8f, 1.8f, 1.8f, kWheel);
  Cnv_Ellipse(c, L - 9, 1.8f, 1.8f, 1.8f, kWheel);
  float bodyTop = top - 0.6f;
  float p[10] = {0.5f, 1.4f, L - 1.5f, 1.4f, L - 0.5f, 2.5f, L - 0.5f, bodyTop, 0.5f, bodyTop};
  Cnv_FillPoly(c, p, 5, v->body);
  Cnv_Rect(c, 0.5f, bodyTop - 0.2f, L - 1, 0.8f, v->roof);
  Cnv_Ellipse(c, 8, 1.8f, 2.3f, 2.0f, Cnv_Shade(v->body, 0.6f));
  Cnv_Ellipse(c, L - 9, 1.8f, 2.3f, 2.0f, Cnv_Shade(v->body, 0.6f));
  Cnv_Ellipse(c, 8, 1.8f, 1.7f, 1.7f, kWheel);
  Cnv_Ellipse(c, L - 9, 1.8f, 1.7f, 1.7f, kWheel);
  WindowRow(c, 4, L - 6, 4.8f, bodyTop - 5.8f, 5, 4.2f);
  Cnv_Rect(c, L - 4, 2.8f, 3.2f, bodyTop - 3.6f, alt ? kDoorOpen : kWindowDark);
  Cnv_Rect(c, 0.5f, 3.6f, L - 1, 0.8f, v->trim);
  HeadLight(c, L - 1.2f, 2.2f, 0.8f, 0.8f);
}

void DrawContainerSide(Canvas* c, const AvhVehicle* v) {
  const float L = float(v->length), top = float(v->a);
  Bogie(c, 9, kWheelR);
  Bogie(c, L - 9, kWheelR);
  Cnv_Rect(c, 1, kFloorY, L - 2, 1.2f, kBlackish);
  // One box on a short wagon, two on a long one, each in its own colour
  // with a dark outline and ribs.
  int boxes = L >= 60 ? 2 : 1;
  float bw = (L - 4 - float(boxes - 1)) / float(boxes);
  for (int i = 0; i < boxes; ++i) {
    u32 col = i ? v->trim : v->body;
    float x = 2 + float(i) * (bw + 1);
    Cnv_FramedRect(c, x, kFloorY + 1.2f, bw, top - kFloorY - 1.4f, col, Cnv_Shade(col, 0.5f));
    for (float rx = x + 2; rx < x + bw - 1; rx += 2.5f)
      Cnv_Rect(c, rx, kFloorY + 1.8f, 0.5f, top - kFloorY - 2.6f, Cnv_Shade(col, 0.8f));
    Cnv_Rect(c, x + 0.6f, top - 0.8f, bw - 1.2f, 0.5f, Cnv_Shade(col, 1.25f));
  }
  Buffers(c, L, kFloorY);
}

void DrawCarCarrierSide(Canvas* c, const AvhVehicle* v) {
  const float L = float(v->length), top = float(v->a);
  Bogie(c, 9, kWheelR);
  Bogie(c, L - 9, kWheelR);
  Cnv_Rect(c, 1, kFloorY, L - 2, 1.0f, kBlackish);
  float deck2 = (kFloorY + top) / 2;
  Cnv_Rect(c, 1, deck2 - 0.3f, L - 2, 0.7f, v->body);
  Cnv_Rect(c, 1, top - 0.8f, L - 2, 0.8f, v->body);
  for (float x = 1; x < L; x += 6) Cnv_Rect(c, x, kFloorY + 1, 0.7f, top - kFloorY - 1.5f, v->body);
  static const u32 cars[6] = {Cnv_Rgb(200, 40, 40), Cnv_Rgb(40, 80, 170), Cnv_Rgb(230, 230, 226),
                              Cnv_Rgb(40, 40, 44),  Cnv_Rgb(230, 190, 40), Cnv_Rgb(60, 140, 80)};
  int n = 0;
  for (float deck : {kFloorY + 1.0f, deck2 + 0.4f})
    for (float x = 3; x + 7 < L - 1; x += 9, ++n) {
      u32 col = cars[size_t(n * 5 + int(v->length)) % 6];
      Cnv_Rect(c, x, deck + 0.6f, 7.5f, 1.5f, col);
      Cnv_Rect(c, x + 2, deck + 2.0f, 4, 1.1f, Cnv_Shade(col, 0.8f));
      Cnv_Rect(c, x + 2.6f, deck + 2.2f, 1.2f, 0.7f, kWindowDark);
      Cnv_Rect(c, x + 1, deck, 1.2f, 0.8f, kWheel);
      Cnv_Rect(c, x + 5.5f, deck, 1.2f, 0.8f, kWheel);
    }
  Buffers(c, L, kFloorY);
}

void DrawStakeSide(Canvas* c, const AvhVehicle* v) {
  const float L = float(v->length), top = float(v->a);
  Wheels(c, 9, L - 9, 2, kWheelR);
  Cnv_Rect(c, 1, kFloorY, L - 2, 1.4f, v->body);
  for (float x = 2; x < L - 1; x += 6) Cnv_Rect(c, x, kFloorY + 1.4f, 0.7f, top - kFloorY - 2.4f, Cnv_Shade(v->body, 0.8f));
  // Steel coils in cradles: grey rings that catch the light at the top.
  for (float x = 6; x + 4 < L - 2; x += 9) {
    float cy = kFloorY + 1.4f + 2.6f;
    Cnv_Ellipse(c, x + 2, cy, 2.6f, 2.6f, Cnv_Shade(v->trim, 0.55f));
    Cnv_Ellipse(c, x + 2, cy, 2.0f, 2.0f, v->trim);
    Cnv_Ellipse(c, x + 1.6f, cy + 0.6f, 0.8f, 0.8f, Cnv_Shade(v->trim, 1.3f));
    Cnv_Ellipse(c, x + 2, cy, 0.7f, 0.7f, Cnv_Shade(v->trim, 0.4f));
  }
  Buffers(c, L, kFloorY);
}

void DrawGrainSide(Canvas* c, const AvhVehicle* v) {
  const float L = float(v->length), top = float(v->a);
  Bogie(c, 9, kWheelR);
  Bogie(c, L - 9, kWheelR);
  Cnv_Rect(c, 1, kFloorY - 0.2f, L - 2, 1.2f, kBlackish);
  float p[12] = {2, top - 1, L - 2, top - 1, L - 2, kFloorY + 3.5f, L - 7, kFloorY + 1, 7, kFloorY + 1, 2, kFloorY + 3.5f};
  Cnv_FillPoly(c, p, 6, v->body);
  Cnv_Rect(c, 2, top - 2.2f, L - 4, 0.6f, Cnv_Shade(v->body, 1.2f));
  for (float x = 6; x < L - 4; x += 5) Cnv_Rect(c, x, kFloorY + 2, 0.6f, top - kFloorY - 3.2f, Cnv_Shade(v->body, 0.8f));
  Cnv_Rect(c, 3, top - 1, L - 6, 1, v->roof);
  Cnv_Rect(c, 4, kFloorY + 4, 10, 1.2f, v->trim);
  Buffers(c, L, kFloorY);
}

// alt: the alternate picture (pantographs lowered, doors open).
void DrawSide(Canvas* c, const AvhVehicle* v, bool alt) {
  switch (v->kind) {
    case AVH_STEAM: case AVH_TANK_LOCO: DrawSteamSide(c, v); break;
    case AVH_TENDER: DrawTenderSide(c, v); break;
    case AVH_DIESEL_HOOD: case AVH_SHUNTER: DrawHoodSide(c, v); break;
    case AVH_DIESEL_CAB: case AVH_ELECTRIC: case AVH_RAILCAR: case AVH_CONTROL_CAR:
    case AVH_EMU_HEAD: case AVH_EMU_MIDDLE: case AVH_COACH: case AVH_BAGGAGE: DrawCarBodySide(c, v, alt); break;
    case AVH_BOX: case AVH_INSULATED: case AVH_BRAKE_VAN: DrawCoveredSide(c, v); break;
    case AVH_TANK: DrawTankSide(c, v); break;
    case AVH_FLAT: DrawFlatSide(c, v); break;
    case AVH_HOPPER: case AVH_OPEN: DrawOpenSide(c, v); break;
    case AVH_TRAM_HEAD: case AVH_TRAM_MIDDLE: case AVH_TRAM_CLASSIC: DrawTramSide(c, v, alt); break;
    case AVH_BUS: DrawBusSide(c, v, alt); break;
    case AVH_CONTAINER: DrawContainerSide(c, v); break;
    case AVH_CAR_CARRIER: DrawCarCarrierSide(c, v); break;
    case AVH_STAKE: DrawStakeSide(c, v); break;
    case AVH_GRAIN: DrawGrainSide(c, v); break;
    default: Cnv_Rect(c, 0, 0, float(v->length), float(v->a), v->body);
  }
}

// ---------------------------------------------------------------- top and end views
// Top view: B wide, L / 2 rows, the vehicle's front on the top row when
// frontUp, else on the bottom row; the near end's face shows on the bottom.
void DrawTop(Canvas* c, const AvhVehicle* v, bool frontUp) {
  float B = float(v->b), H = float(v->length / 2);
  int k = v->kind;
  bool open = k == AVH_FLAT || k == AVH_HOPPER || k == AVH_OPEN;
  Cnv_Rect(c, 0, 0, B, H, Cnv_Shade(v->body, 0.85f));
  Cnv_Rect(c, 1, 0.5f, B - 2, H - 1, open ? Cnv_Shade(v->body, 0.7f) : v->roof);
  if (k == AVH_HOPPER) Cnv_Rect(c, 2, 2, B - 4, H - 4, Cnv_Rgb(26, 26, 28));
  if (k == AVH_OPEN) Cnv_Rect(c, 2, 2, B - 4, H - 4, Cnv_Rgb(90, 76, 56));
  if (k == AVH_FLAT)
    for (float x = 2; x < B - 1; x += 1.6f) Cnv_Rect(c, x, 1.5f, 1.0f, H - 3, v->trim);
  if (k == AVH_TANK) Cnv_Rect(c, B / 2 - 1.5f, 0.5f, 3, H - 1, Cnv_Shade(v->body, 1.3f));
  if (k == AVH_STEAM || k == AVH_TANK_LOCO) {
    Cnv_Rect(c, B / 2 - 2.5f, 1, 5, H - 1, v->body);
    float chimney = frontUp ? H - 3 : 3;
    Cnv_Ellipse(c, B / 2, chimney, 1.5f, 1.5f, Cnv_Rgb(20, 20, 20));
  }
  if (k == AVH_ELECTRIC || k == AVH_EMU_HEAD || k == AVH_TRAM_HEAD || k == AVH_TRAM_CLASSIC)
    for (float y : {H * 0.3f, H * 0.7f}) Cnv_Rect(c, 2, y, B - 4, 0.6f, Cnv_Rgb(40, 40, 40));
  if (k == AVH_COACH || k == AVH_CONTROL_CAR || k == AVH_RAILCAR || k == AVH_EMU_MIDDLE || k == AVH_BAGGAGE)
    for (float y = 4; y < H - 3; y += 6) Cnv_Rect(c, B / 2 - 1, y, 2, 1.6f, Cnv_Shade(v->roof, 0.65f));
  if (k == AVH_BUS) Cnv_Rect(c, 2.5f, H * 0.4f, B - 5, H * 0.2f, Cnv_Rgb(200, 200, 196));
  if (k == AVH_CONTAINER) {
    int boxes = v->length >= 60 ? 2 : 1;
    float bh = (H - 1) / float(boxes);
    for (int i = 0; i < boxes; ++i)
      Cnv_FramedRect(c, 1, 0.5f + float(i) * bh, B - 2, bh - 0.3f, i ? v->trim : v->body,
                     Cnv_Shade(i ? v->trim : v->body, 0.5f));
  }
  if (k == AVH_CAR_CARRIER) Cnv_Rect(c, 1, 0.5f, B - 2, H - 1, Cnv_Shade(v->body, 0.9f));
  if (k == AVH_STAKE)
    for (float y = 3; y + 2 < H; y += 4.5f) Cnv_Rect(c, 2, y, B - 4, 2.5f, v->trim);
  if (k == AVH_GRAIN)
    for (float y = 3; y + 1 < H - 2; y += 5) Cnv_Rect(c, B / 2 - 1.5f, y, 3, 2, Cnv_Shade(v->roof, 0.7f));
  if (k == AVH_DIESEL_HOOD || k == AVH_DIESEL_CAB || k == AVH_SHUNTER)
    for (float y = 3; y < H - 3; y += 4) Cnv_Rect(c, 2.5f, y, B - 5, 1.2f, Cnv_Shade(v->body, 0.75f));
  // Roof edge lines; the near end's face is the end view below this one.
  Cnv_Rect(c, 0, 0, 0.6f, H, Cnv_Shade(v->body, 0.6f));
  Cnv_Rect(c, B - 0.6f, 0, 0.6f, H, Cnv_Shade(v->body, 0.6f));
}

// The face at one end: the front face (lamps, cab windows) or the rear.
void DrawEnd(Canvas* c, const AvhVehicle* v, bool front) {
  float B = float(v->b), C = float(v->c);
  int k = v->kind;
  bool cab = front && k != AVH_BOX && k != AVH_INSULATED && k != AVH_TANK && k != AVH_FLAT && k != AVH_HOPPER && k != AVH_OPEN &&
             k != AVH_TENDER && k != AVH_BRAKE_VAN && k != AVH_COACH && k != AVH_BAGGAGE && k != AVH_EMU_MIDDLE &&
             k != AVH_TRAM_MIDDLE && k < AVH_CONTAINER;
  if (k == AVH_TANK) {
    Cnv_Rect(c, 1, 0, B - 2, 3, kBlackish);
    Cnv_Ellipse(c, B / 2, C / 2 + 1, B / 2 - 0.5f, C / 2 - 1.5f, v->body);
    return;
  }
  if (k == AVH_STEAM || k == AVH_TANK_LOCO) {
    if (front) {
      Cnv_Rect(c, 1, 0, B - 2, 3, kBlackish);
      Cnv_Ellipse(c, B / 2, C * 0.5f, B / 2 - 1.5f, B / 2 - 1.5f, Cnv_Rgb(36, 36, 38));
      Cnv_Rect(c, B / 2 - 1, C - 3, 2, 3, Cnv_Rgb(30, 30, 30));
      HeadLight(c, B / 2 - 0.6f, 2.4f, 1.2f, 1.0f);
      return;
    }
  }
  Cnv_Rect(c, 0.5f, 1, B - 1, C - 1.5f, v->body);
  Cnv_Rect(c, 0, C - 1.2f, B, 1.2f, v->roof);
  Cnv_Rect(c, 0.5f, 2.2f, B - 1, 1.0f, v->trim);
  if (cab) {
    Cnv_Rect(c, 1.5f, C - 4.5f, B / 2 - 2, 2.6f, kWindowDark);
    Cnv_Rect(c, B / 2 + 0.5f, C - 4.5f, B / 2 - 2, 2.6f, kWindowDark);
    HeadLight(c, 1.2f, 1.4f, 1.2f, 0.9f);
    HeadLight(c, B - 2.4f, 1.4f, 1.2f, 0.9f);
  } else if (k == AVH_COACH || k == AVH_EMU_MIDDLE || k == AVH_BAGGAGE) {
    Cnv_Rect(c, B / 2 - 1.5f, 1.2f, 3, C - 3, Cnv_Shade(v->body, 0.7f));
  }
  if (!IsRoad(k) && k != AVH_TRAM_HEAD && k != AVH_TRAM_MIDDLE && k != AVH_TRAM_CLASSIC) {
    Cnv_Rect(c, 0.5f, 0.2f, 1.6f, 1.2f, kBuffer);
    Cnv_Rect(c, B - 2.1f, 0.2f, 1.6f, 1.2f, kBuffer);
  }
}

void Mirror(std::vector<u32>* px, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w / 2; ++x) std::swap((*px)[size_t(y * w + x)], (*px)[size_t(y * w + w - 1 - x)]);
}

}  // namespace

int Avh_SetCount(void) { return int(Catalogue().size()); }
const AvhSet* Avh_Set(int i) { return i >= 0 && i < Avh_SetCount() ? &Catalogue()[size_t(i)] : nullptr; }
const AvhSet* Avh_FindSet(u16 number) {
  for (const AvhSet& s : Catalogue())
    if (s.number == number) return &s;
  return nullptr;
}

int Avh_HasView(const AvhVehicle* v, int view) {
  const u32 f = v->flags;
  const bool dbl = (f & GFX_VF_DOUBLE) != 0;
  switch (view) {
    case AVH_SIDE_1_LONG:
    case AVH_SIDE_2_LONG:
    case AVH_TOP_1_LONG:
    case AVH_TOP_2_LONG: return dbl;
    case AVH_SIDE_1_ALT: return (f & GFX_VF_EXTRA_1) != 0;
    case AVH_SIDE_1_ALT_LONG: return (f & GFX_VF_EXTRA_1) && dbl;
    case AVH_SIDE_2_ALT: return (f & GFX_VF_EXTRA_2) != 0;
    case AVH_SIDE_2_ALT_LONG: return (f & GFX_VF_EXTRA_2) && dbl;
    default: return view >= 0 && view < AVH_VIEWS;
  }
}

void Avh_View(const AvhVehicle* v, int view, int zoom, std::vector<u32>* px, int* w, int* h) {
  Canvas c;
  int L = v->length, A = v->a, B = v->b, C = v->c;
  bool mirror = false;
  switch (view) {
    case AVH_SIDE_1:
    case AVH_SIDE_2:
    case AVH_SIDE_1_LONG:
    case AVH_SIDE_2_LONG:
    case AVH_SIDE_1_ALT:
    case AVH_SIDE_2_ALT:
    case AVH_SIDE_1_ALT_LONG:
    case AVH_SIDE_2_ALT_LONG:
      Cnv_Init(&c, zoom, 0, 0, L, A);
      DrawSide(&c, v, view >= AVH_SIDE_1_ALT);
      mirror = view == AVH_SIDE_2 || view == AVH_SIDE_2_LONG || view == AVH_SIDE_2_ALT || view == AVH_SIDE_2_ALT_LONG;
      break;
    case AVH_TOP_1:
    case AVH_TOP_2:
      Cnv_Init(&c, zoom, 0, 0, B, L / 2);
      DrawTop(&c, v, view == AVH_TOP_1);
      break;
    case AVH_TOP_1_LONG:
    case AVH_TOP_2_LONG:
      // The rear half of a long lengthwise picture: the face below the top
      // view in its top rows, the rest left clear.
      Cnv_Init(&c, zoom, 0, C - L / 2, B, L / 2);
      DrawEnd(&c, v, view == AVH_TOP_2_LONG);
      break;
    default:
      Cnv_Init(&c, zoom, 0, 0, B, C);
      DrawEnd(&c, v, view == AVH_END_2);
      break;
  }
  *w = c.pw;
  *h = c.ph;
  px->assign(size_t(c.pw) * size_t(c.ph), 0);
  Cnv_Export(&c, px->data());
  // Shadows are the compositor's business for vehicles: no darken markers.
  for (u32& p : *px)
    if (p == CNV_DARKEN) p = CNV_TRANSPARENT;
  if (mirror) Mirror(px, *w, *h);
}

void Avh_Render(const AvhVehicle* v, int zoom, std::vector<u32>* out) {
  out->clear();
  for (int view = 0; view < AVH_ALL_VIEWS; ++view) {
    if (!Avh_HasView(v, view)) continue;
    std::vector<u32> px;
    int w, h;
    Avh_View(v, view, zoom, &px, &w, &h);
    if (view == AVH_TOP_1 || view == AVH_TOP_2 || view == AVH_TOP_1_LONG || view == AVH_TOP_2_LONG) {
      // Top views go column by column.
      for (int x = 0; x < w; ++x)
        for (int y = 0; y < h; ++y) out->push_back(px[size_t(y * w + x)]);
    } else {
      out->insert(out->end(), px.begin(), px.end());
    }
  }
}

u32 Avh_ZoomRecordFlags(const AvhVehicle* v) {
  u32 f = 2;
  if (v->flags & GFX_VF_EXTRA_VIEWS) f |= 1;
  if (v->flags & GFX_VF_DOUBLE) f |= 4;
  if (v->flags & GFX_VF_EXTRA_1) f |= 8;
  if (v->flags & GFX_VF_EXTRA_2) f |= 16;
  return f;
}
