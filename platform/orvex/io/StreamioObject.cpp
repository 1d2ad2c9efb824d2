#include "orvex/io/StreamioObject.h"

#include "orvex/io/StreamioBlockObject.h"

namespace io {

CStreamio_object::~CStreamio_object() = default;
CStreamio_manip::~CStreamio_manip() = default;

CStreamio_block_object::~CStreamio_block_object() = default;
void CStreamio_block_object::Reserved1() {}
void CStreamio_block_object::Reserved2() {}
void CStreamio_block_object::Reserved3() {}
void CStreamio_block_object::Reserved4() {}
void CStreamio_block_object::Reserved5() {}
void CStreamio_block_object::Reserved6() {}
void CStreamio_block_object::Reserved7() {}
void CStreamio_block_object::Reserved9() {}
void CStreamio_block_object::Reserved10() {}
void CStreamio_block_object::Reserved12() {}
void CStreamio_block_object::Reserved13() {}
void CStreamio_block_object::Reserved14() {}
void CStreamio_block_object::Reserved15() {}
void CStreamio_block_object::Reserved16() {}

}  // namespace io
