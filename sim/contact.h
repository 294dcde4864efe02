// The contact tests that end a flight: landing, ground contact, the playfield's sides, tip-overs and crashes.
#pragma once

// Runs once per simulation step after the craft has moved; may stop the step timer and start the end animations.
void CheckContact();
