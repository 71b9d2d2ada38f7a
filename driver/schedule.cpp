#include "driver/schedule.h"

#include <vector>

#include "effects/alku.h"
#include "effects/avaruus.h"
#include "effects/avaruus2.h"
#include "effects/credits.h"
#include "effects/distort.h"
#include "effects/goddess.h"
#include "effects/hypnogreen.h"
#include "effects/kuvatus.h"
#include "effects/kuvatus2.h"
#include "effects/noise.h"
#include "effects/rauha.h"
#include "effects/rytina.h"
#include "effects/rytina2.h"
#include "effects/rytina3.h"
#include "effects/tunnel.h"
#include "effects/valo.h"
#include "effects/zoom.h"
#include "engine/vrl.h"

using NORVALE_VIRELLO::Base;

std::span<const ScheduleEntry> showSchedule() {
    // Entry 14 belongs to the 100000-122000 block though it is registered
    // after entry 13; entry 20 starts 3000 ms before its scene and so also
    // runs over the end of the tunnel.
    static const std::vector<ScheduleEntry> table = {
        {0, 49000, 66911, "alku", "Alku", []() -> Base* { return new Alku(); }},
        {0, 49000, 30, "rytina", "Noise", []() -> Base* { return new Noise(35); }},
        {0, 49000, 10, "rytina", "Rytina", []() -> Base* { return new Rytina(8.0f, false); }},
        {49000, 81500, 666, "kuvatus", "Kuvatus", []() -> Base* { return new Kuvatus(); }},
        {49000, 81500, 100, "rytina", "Rytina", []() -> Base* { return new Rytina(30.0f, false); }},
        {49000, 81500, 1, "rytina2", "Rytina2", []() -> Base* { return new Rytina2(30.0f, false); }},
        {81500, 100000, 666, "kuvatus", "Kuvatus2", []() -> Base* { return new Kuvatus2(); }},
        {81500, 100000, 55, "rytina", "Rytina", []() -> Base* { return new Rytina(10.0f, false); }},
        {81500, 100000, 11, "rytina2", "Rytina2", []() -> Base* { return new Rytina2(30.0f, false); }},
        {100000, 122000, 10, "distort", "Distort", []() -> Base* { return new Distort(); }},
        {100000, 122000, 5, "rytina", "Rytina", []() -> Base* { return new Rytina(30.0f, false); }},
        {100000, 122000, 0, "goddess", "Goddess", []() -> Base* { return new Goddess(); }},
        {122000, 150000, 0, "rauha", "Rauha", []() -> Base* { return new Rauha(); }},
        {100000, 122000, 0, "rytina", "Rytina", []() -> Base* { return new Rytina(40.0f, false); }},
        {150000, 162000, 510, "avaruus2", "Avaruus2", []() -> Base* { return new Avaruus2(); }},
        {162000, 193000, 500, "tunnel", "Tunnel", []() -> Base* { return new Tunnel(); }},
        {162000, 193000, 1, "rytina2", "Rytina3", []() -> Base* { return new Rytina3(20.0f, false); }},
        {193000, 223000, 510, "rauha", "Zoom", []() -> Base* { return new Zoom(); }},
        {193000, 223000, 30, "hypnogreen", "Hypnogreen", []() -> Base* { return new Hypnogreen(); }},
        {190000, 223000, 1, "rytina2", "Rytina3", []() -> Base* { return new Rytina3(20.0f, false); }},
        {223000, 243000, 510, "rauha", "Avaruus", []() -> Base* { return new Avaruus(); }},
        {223000, 243000, 30, "rytina", "Noise", []() -> Base* { return new Noise(40); }},
        {223000, 243000, 0, "rytina", "Rytina", []() -> Base* { return new Rytina(25.0f, true); }},
        {243000, 273200, 0, "valo", "Valo", []() -> Base* { return new Valo(); }},
        {273200, 303000, 0, "ray", "Valo", []() -> Base* { return new Valo(); }},
        {303000, 333000, 666, "credits", "Credits", []() -> Base* { return new Credits(); }},
        {303000, 333000, 0, "rytina", "Rytina", []() -> Base* { return new Rytina(10.0f, false); }},
    };
    return table;
}

void registerSchedule(bool (*stop)()) {
    for (const ScheduleEntry& entry : showSchedule()) {
        if (stop && stop()) return;
        vrlAddEffect(entry.start, entry.end, entry.priority, entry.name, entry.create());
    }
}
