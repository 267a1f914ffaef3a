#pragma once
// The number of an indirect object (the first number of "12 0 obj" and "12 0 R").

typedef unsigned long ObjectIDType;
