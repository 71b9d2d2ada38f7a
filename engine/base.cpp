#include "engine/base.h"

namespace NORVALE_VIRELLO {

Base::~Base() = default;

bool Base::init(unsigned long start, unsigned long end) {
    startTime = static_cast<unsigned int>(start);
    endTime = static_cast<unsigned int>(end);
    flag = false;
    return true;
}

void Base::update(float position) { time = position; }

void Base::release() {}

}  // namespace NORVALE_VIRELLO
