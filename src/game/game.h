#pragma once

int gra1();  // a match of two players at one keyboard
int gra2();  // a match against the computer
