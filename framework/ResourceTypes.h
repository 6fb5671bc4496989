#pragma once
// The four resource types of the program's packs and their load and unload handlers, and
// pictures by numeric id: a picture item holds a BMP file, decoded by our own decoder into an
// engine raw image and made into an engine image.

#include "QrImage.h"
#include "QrPointer.h"

#include <cstddef>
#include <cstdint>

class QrRawImageData;
class ResourcePack;

enum ResourceType : uint32_t
{
    kResourceInfoAndData = 0x80000001,
    kResourceSound = 0x80000004,
    kResourceBytes = 0x80000007,
    kResourcePicture = 0x80000010,
};

uint16_t RegisterImageResourceType();
uint16_t RegisterBlobResourceType();
uint16_t RegisterDataResourceType();
uint16_t RegisterSoundResourceType();

// Handlers (see ResourcePack.h for the contract).
uint16_t CopyResourceBytes(uint32_t id, uint32_t infoLength, const uint8_t* info, uint32_t size, uint8_t* data,
                           void** object, bool* discard);
uint16_t CopyResourceInfoAndBytes(uint32_t id, uint32_t infoLength, const uint8_t* info, uint32_t size, uint8_t* data,
                                  void** object, bool* discard);
void FreeResourceBlock(uint32_t id, uint32_t infoLength, const uint8_t* info, uint32_t size, uint8_t* data,
                       void** object);
uint16_t LoadSoundResource(uint32_t id, uint32_t infoLength, const uint8_t* info, uint32_t size, uint8_t* data,
                           void** object, bool* discard);
// Stops every sound still playing from the record before freeing it.
void UnloadSoundResource(uint32_t id, uint32_t infoLength, const uint8_t* info, uint32_t size, uint8_t* data,
                         void** object);

// A copied block's object points at its bytes, which are followed by one zero byte (so text
// items read as strings); its byte count stands just before them.
uint32_t ResourceBlockSize(const void* object);

// Fills the raw image from a BMP file of size bytes; false (raw image untouched or emptied)
// when the bytes are not a whole picture we read.
bool DecodeBmp(const uint8_t* bytes, size_t size, QrRawImageData& raw);

// The picture as a new engine image, or null (no such picture, not loaded, not decodable,
// or no image made).
QrPointer<QrImage> LoadResourceImage(uint32_t kind, uint32_t id, ResourcePack* pack);
// Releases the slot's image first, then loads; the caller stores the result.
QrPointer<QrImage> ReloadResourceImage(uint32_t kind, uint32_t id, ResourcePack* pack, QrPointer<QrImage>& slot);
