// Scene-file streams: chunked writing (ISave) and reading (ILoad).
#pragma once

#include "baseinterface.h"

enum IOResult { IO_OK = 0, IO_END = 1, IO_ERROR = 2 };
enum ChunkType { NEW_CHUNK = 0, CONTAINER_CHUNK = 1, DATA_CHUNK = 2 };

class ILoad;

// Work the loader runs after every object of a file exists; lower priorities run
// first, and priority 0 is the parameter-block upgrade's.
class CoreExport PostLoadCallback : public InterfaceServer {
public:
    virtual void proc(ILoad* iload) = 0;
    virtual int Priority() { return 5; }
};

class CoreExport ISave : public InterfaceServer {
public:
    virtual void BeginChunk(USHORT id) = 0;
    virtual void EndChunk() = 0;
    virtual int CurChunkDepth() = 0;
    virtual IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) = 0;
};

class CoreExport ILoad : public InterfaceServer {
public:
    virtual IOResult OpenChunk() = 0;
    virtual USHORT CurChunkID() = 0;
    virtual ChunkType CurChunkType() = 0;
    virtual ULONGLONG CurChunkLength() = 0;
    virtual int CurChunkDepth() = 0;
    virtual IOResult CloseChunk() = 0;
    virtual USHORT PeekNextChunkID() = 0;
    virtual IOResult Read(void* buf, ULONG nbytes, ULONG* nread) = 0;
    virtual void RegisterPostLoadCallback(PostLoadCallback* cb) = 0;
};
