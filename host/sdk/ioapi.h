// Scene-file streams: chunked writing (ISave) and reading (ILoad).
#pragma once

#include "baseinterface.h"

enum IOResult { IO_OK = 0, IO_END = 1, IO_ERROR = 2 };
enum ChunkType { NEW_CHUNK = 0, CONTAINER_CHUNK = 1, DATA_CHUNK = 2 };

class ILoad;

// Work the loader runs after every object of a file exists; lower priorities run
// first, and priority 0 is the parameter-block upgrade's. A callback that must be
// freed frees itself in proc.
class CoreExport PostLoadCallback : public InterfaceServer {
public:
    virtual void proc(ILoad* iload) = 0;
    virtual int Priority() { return 5; }
    // Called instead of proc when the load fails before the callbacks run, so that a
    // callback that frees itself in proc is freed all the same.
    virtual void Discard() {}
};

class CoreExport ISave : public InterfaceServer {
public:
    virtual void BeginChunk(USHORT id) = 0;
    virtual void EndChunk() = 0;
    virtual int CurChunkDepth() = 0;
    virtual IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) = 0;
    // A string with its terminating null: UTF-16 for wide strings, bytes for narrow.
    virtual IOResult WriteWString(const wchar_t* str) = 0;
    virtual IOResult WriteCString(const char* str) = 0;
};

class CoreExport ILoad : public InterfaceServer {
public:
    virtual IOResult OpenChunk() = 0;
    virtual USHORT CurChunkID() = 0;
    virtual ChunkType CurChunkType() = 0;
    // Bytes of the open chunk's content, its header not counted.
    virtual ULONGLONG CurChunkLength() = 0;
    virtual int CurChunkDepth() = 0;
    virtual IOResult CloseChunk() = 0;
    // The id of the next chunk at the current level, or 0 when there is none.
    virtual USHORT PeekNextChunkID() = 0;
    // Reads exactly nbytes of the open data chunk; IO_ERROR, with nothing read, when
    // fewer remain.
    virtual IOResult Read(void* buf, ULONG nbytes, ULONG* nread) = 0;
    // The rest of the open chunk as a string written by WriteWString/WriteCString. The
    // buffer belongs to the loader and lasts until the next string is read.
    virtual IOResult ReadWStringChunk(wchar_t** buf) = 0;
    virtual IOResult ReadCStringChunk(char** buf) = 0;
    virtual void RegisterPostLoadCallback(PostLoadCallback* cb) = 0;
};
