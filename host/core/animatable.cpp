#include "animtbl.h"

Animatable::Animatable() = default;
Animatable::~Animatable() = default;

void Animatable::DeleteThis() { delete this; }
void Animatable::GetClassName(MSTR& s) { s = _M("Animatable"); }
Class_ID Animatable::ClassID() { return Class_ID(0, 0); }
Animatable* Animatable::SubAnim(int) { return nullptr; }
MSTR Animatable::SubAnimName(int) { return MSTR(); }
int Animatable::SubNumToRefNum(int) { return -1; }
IParamBlock2* Animatable::GetParamBlock(int) { return nullptr; }
IParamBlock2* Animatable::GetParamBlockByID(BlockID) { return nullptr; }
void Animatable::BeginEditParams(IObjParam*, ULONG, Animatable*) {}
void Animatable::EndEditParams(IObjParam*, ULONG, Animatable*) {}
