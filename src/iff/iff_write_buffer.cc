#include "iff/iff_write_buffer.h"

#include <errno.h>

#include <algorithm>
#include <limits>

CWriteBuffer::CWriteBuffer(CFile& target, UINT capacity)
    : m_target(target), m_capacity(capacity ? capacity : 1) {
    m_buffer.reserve(m_capacity);
    m_position = m_targetPosition = m_target.GetPosition();
    m_length = m_target.GetLength();
}

CWriteBuffer::~CWriteBuffer() = default;

CFile* CWriteBuffer::Duplicate() const {
    throw CFileException(CFileException::genericException, 0, GetFilePath());
}

ULONGLONG CWriteBuffer::Seek(LONGLONG offset, UINT from) {
    const ULONGLONG base = from == begin ? 0 : from == current ? m_position : m_length;
    if (offset < 0 ? static_cast<ULONGLONG>(-(offset + 1)) + 1 > base
                   : static_cast<ULONGLONG>(offset) >
                         static_cast<ULONGLONG>(std::numeric_limits<LONGLONG>::max()) - base)
        throw CFileException(CFileException::badSeek, EINVAL, GetFilePath());
    m_position = offset < 0 ? base - (static_cast<ULONGLONG>(-(offset + 1)) + 1)
                            : base + static_cast<ULONGLONG>(offset);
    return m_position;
}

UINT CWriteBuffer::Read(void* buffer, UINT count) {
    const UINT n = ReadAt(m_position, buffer, count);
    m_position += n;
    return n;
}

UINT CWriteBuffer::ReadAt(ULONGLONG position, void* buffer, UINT count) {
    FlushBuffer();
    m_targetPositionKnown = false;
    return m_target.ReadAt(position, buffer, count);
}

void CWriteBuffer::WriteThrough(ULONGLONG position, const void* buffer, UINT count) {
    if (!m_targetPositionKnown || m_targetPosition != position) {
        m_targetPositionKnown = false;
        m_target.Seek(static_cast<LONGLONG>(position), begin);
    }
    m_targetPositionKnown = false;
    m_target.Write(buffer, count);
    m_targetPosition = position + count;
    m_targetPositionKnown = true;
}

void CWriteBuffer::FlushBuffer() {
    if (m_buffer.empty()) return;
    // Dropped even when the target refuses it: the caller is abandoning the file then.
    try {
        WriteThrough(m_bufferStart, m_buffer.data(), static_cast<UINT>(m_buffer.size()));
    } catch (...) {
        m_buffer.clear();
        throw;
    }
    m_buffer.clear();
}

void CWriteBuffer::Write(const void* buffer, UINT count) {
    if (count == 0) return;
    if (m_position > std::numeric_limits<ULONGLONG>::max() - count)
        throw CFileException(CFileException::diskFull, EFBIG, GetFilePath());
    if (!m_buffer.empty() &&
        (m_position != m_bufferStart + m_buffer.size() || m_buffer.size() + count > m_capacity))
        FlushBuffer();
    if (count >= m_capacity) {
        WriteThrough(m_position, buffer, count);
    } else {
        if (m_buffer.empty()) m_bufferStart = m_position;
        const auto* p = static_cast<const BYTE*>(buffer);
        m_buffer.insert(m_buffer.end(), p, p + count);
    }
    m_position += count;
    m_length = std::max(m_length, m_position);
}

ULONGLONG CWriteBuffer::GetLength() const {
    return m_length;
}

void CWriteBuffer::SetLength(ULONGLONG length) {
    FlushBuffer();
    m_target.SetLength(length);
    m_length = length;
}

ULONGLONG CWriteBuffer::GetPosition() const {
    return m_position;
}

void CWriteBuffer::Flush() {
    FlushBuffer();
    m_target.Flush();
}

void CWriteBuffer::Close() {
    FlushBuffer();
}

std::string CWriteBuffer::GetFileName() const {
    return m_target.GetFileName();
}

std::string CWriteBuffer::GetFilePath() const {
    return m_target.GetFilePath();
}
