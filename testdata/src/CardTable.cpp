#include "oltrex/testdata/CardTable.h"

#include <array>

namespace oltrex::testdata {

namespace {

constexpr std::array<CardFileEntry, 62> kEntries{{
    {"EF_1G_ICC", 0x0002, 0x00, 25},
    {"EF_1G_IC", 0x0005, 0x00, 8},
    {"EF_1G_Application_Identification", 0x0501, 0x00, 10},
    {"EFS_1G_Application_Identification", 0x0501, 0x01, 128},
    {"EF_1G_Card_Certificate", 0xC100, 0x00, 194},
    {"EF_1G_CA_Certificate", 0xC108, 0x00, 194},
    {"EF_1G_Identification", 0x0520, 0x00, 143},
    {"EFS_1G_Identification", 0x0520, 0x01, 128},
    {"EF_1G_Card_Download", 0x050E, 0x00, 4},
    {"EFS_1G_Card_Download", 0x050E, 0x01, 128},
    {"EF_1G_Driving_Licence_info", 0x0521, 0x00, 53},
    {"EFS_1G_Driving_Licence_info", 0x0521, 0x01, 128},
    {"EF_1G_Events_Data", 0x0502, 0x00, 1728},
    {"EFS_1G_Events_Data", 0x0502, 0x01, 128},
    {"EF_1G_Faults_Data", 0x0503, 0x00, 1152},
    {"EFS_1G_Faults_Data", 0x0503, 0x01, 128},
    {"EF_1G_Driver_Activity_Data", 0x0504, 0x00, 13780},
    {"EFS_1G_Driver_Activity_Data", 0x0504, 0x01, 128},
    {"EF_1G_Vehicle_Used", 0x0505, 0x00, 6202},
    {"EFS_1G_Vehicle_Used", 0x0505, 0x01, 128},
    {"EF_1G_Places", 0x0506, 0x00, 1121},
    {"EFS_1G_Places", 0x0506, 0x01, 128},
    {"EF_1G_Current_Usage", 0x0507, 0x00, 19},
    {"EFS_1G_Current_Usage", 0x0507, 0x01, 128},
    {"EF_1G_Control_Activity_Data", 0x0508, 0x00, 46},
    {"EFS_1G_Control_Activity_Data", 0x0508, 0x01, 128},
    {"EF_1G_Spezial_Conditions", 0x0522, 0x00, 280},
    {"EFS_1G_Spezial_Conditions", 0x0522, 0x01, 128},
    {"EF_2G_ICC", 0x0002, 0x02, 25},
    {"EF_2G_IC", 0x0005, 0x02, 8},
    {"EF_2G_Application_Identification", 0x0501, 0x02, 17},
    {"EFS_2G_Application_Identification", 0x0501, 0x03, 64},
    {"EF_2G_CardMA_Certificate", 0xC100, 0x02, 205},
    {"EF_2G_CardSignCertificate", 0xC101, 0x02, 205},
    {"EF_2G_CA_Certificate", 0xC108, 0x02, 205},
    {"EF_2G_Link_Certificate", 0xC109, 0x02, 205},
    {"EF_2G_Identification", 0x0520, 0x02, 143},
    {"EFS_2G_Identification", 0x0520, 0x03, 64},
    {"EF_2G_Card_Download", 0x050E, 0x02, 4},
    {"EFS_2G_Card_Download", 0x050E, 0x03, 64},
    {"EF_2G_Driving_Licence_Info", 0x0521, 0x02, 53},
    {"EFS_2G_Driving_Licence_Info", 0x0521, 0x03, 64},
    {"EF_2G_Events_Data", 0x0502, 0x02, 3168},
    {"EFS_2G_Events_Data", 0x0502, 0x03, 64},
    {"EF_2G_Faults_Data", 0x0503, 0x02, 1152},
    {"EFS_2G_Faults_Data", 0x0503, 0x03, 64},
    {"EF_2G_Driver_Activity_Data", 0x0504, 0x02, 13780},
    {"EFS_2G_Driver_Activity_Data", 0x0504, 0x03, 64},
    {"EF_2G_Vehicles_Used", 0x0505, 0x02, 9602},
    {"EFS_2G_Vehicles_Used", 0x0505, 0x03, 64},
    {"EF_2G_Places", 0x0506, 0x02, 2354},
    {"EFS_2G_Places", 0x0506, 0x03, 64},
    {"EF_2G_Current_Usage", 0x0507, 0x02, 19},
    {"EFS_2G_Current_Usage", 0x0507, 0x03, 64},
    {"EF_2G_Control_Activity_Data", 0x0508, 0x02, 46},
    {"EFS_2G_Control_Activity_Data", 0x0508, 0x03, 64},
    {"EF_2G_Specific_Conditions", 0x0522, 0x02, 562},
    {"EFS_2G_Specific_Conditions", 0x0522, 0x03, 64},
    {"EF_2G_VehicleUnits_Used", 0x0523, 0x02, 2002},
    {"EFS_2G_VehicleUnits_Used", 0x0523, 0x03, 64},
    {"EF_2G_GNSS_Places", 0x0524, 0x02, 6050},
    {"EFS_2G_GNSS_Places", 0x0524, 0x03, 64},
}};

}  // namespace

std::span<const CardFileEntry> converterCardFiles() { return kEntries; }

std::uint16_t identificationSize(CardType type) {
    switch (type) {
        case CardType::Driver: return 143;
        case CardType::Workshop:
        case CardType::Control: return 211;
        case CardType::Company: return 139;
    }
    return 143;
}

}  // namespace oltrex::testdata
