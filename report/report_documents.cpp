#include "report/report_documents.h"

#include <cmath>

double CutToHundredths(uint64_t bytes, double unit) {
    // Truncated toward zero in a double rather than in a 32-bit integer, so a
    // disk of 20 TiB and more is still reported as its size and not as garbage.
    const double hundredths = std::trunc(static_cast<double>(bytes) / unit * 100.0);
    return hundredths / 100.0;
}

JsonValue BuildDeviceData(const DeviceFacts& facts) {
    JsonValue disks = JsonValue::MakeArray();
    for (const DriveFacts& drive : facts.drives) {
        JsonValue disk = JsonValue::MakeObject();
        if (drive.has_size) {
            disk.AddString("volume", drive.volume);
            disk.AddDouble("total", CutToHundredths(drive.total_bytes, kMebibyte));
            disk.AddDouble("available", CutToHundredths(drive.free_bytes, kMebibyte));
        }
        disks.AppendValue(disk);
    }
    JsonValue gpus = JsonValue::MakeArray();
    for (const std::string& name : facts.gpus) {
        JsonValue gpu = JsonValue::MakeObject();
        gpu.AddString("name", name);
        gpus.AppendValue(gpu);
    }

    JsonValue data = JsonValue::MakeObject();
    data.AddInt64("cpu_frequency", facts.cpu_frequency);
    data.AddString("cpu_model", facts.cpu_model);
    data.AddValue("disk", disks);
    data.AddValue("gpu", gpus);
    data.AddString("mac_id", facts.mac_id);
    data.AddDouble("memory_available", CutToHundredths(facts.memory.available, kGibibyte));
    data.AddDouble("memory_total", CutToHundredths(facts.memory.total, kGibibyte));
    data.AddInt("os_bits", facts.wow64 ? 64 : 32);
    data.AddString("os_version", facts.os_version);
    return data;
}

std::string BuildDeviceReportDocument(int32_t type, int32_t channel_id, int32_t sub_channel_id,
                                      int64_t ad_id, const std::string& guid,
                                      const JsonValue& device_data) {
    JsonValue other = JsonValue::MakeObject();
    other.AddString("guid", guid);

    JsonValue report = JsonValue::MakeObject();
    report.AddInt("type", type);
    report.AddValue("device_data", device_data);
    report.AddInt("channel_id", channel_id);
    report.AddInt("sub_channel_id", sub_channel_id);
    report.AddInt64("channelAdId", ad_id);
    report.AddString("attach", "{}");  // the service expects this text, not an object
    report.AddValue("other", other);
    return report.PrintUnformatted();
}

std::string BuildFeedbackDocument(const std::string& result, const std::vector<std::string>& reason_texts,
                                  const std::string& mac_id, const std::string& guid) {
    JsonValue texts = JsonValue::MakeArray();
    for (const std::string& text : reason_texts) texts.AppendString(text);

    JsonValue feedback = JsonValue::MakeObject();
    feedback.AddString("result", result);
    // The service reads the reasons as a JSON text inside a string member.
    feedback.AddString("result_text", texts.PrintUnformatted());
    feedback.AddString("description", "");
    feedback.AddString("version", "1.0.0.0");
    feedback.AddString("mac_id", mac_id);
    feedback.AddString("guid", guid);
    return feedback.PrintUnformatted();
}
