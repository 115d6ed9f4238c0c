#!/usr/bin/env python3
"""Writes the seed corpus of the reply, relay and date fuzz targets under corpus/<target>/.

The datagrams are real: captured/ holds a reply of chronyd -x to the program's request and the
requests of ntpdig and chronyd -Q, as capture_datagrams.sh captured them. The other replies are
built the way the native tests build theirs (tests/native/fakes/ntp_replies.h). Each input is
laid out as the target's first comment describes. Run it again after changing a layout.
"""

import pathlib
import shutil
import struct

HERE = pathlib.Path(__file__).resolve().parent
CAPTURED = HERE / "captured"
CORPUS = HERE / "corpus"

US_PER_DAY = 86_400_000_000
# Microseconds from 1601-01-01 (the Windows clock's origin) to 1970-01-01.
US_1601_TO_1970 = 11_644_473_600_000_000
SERVER = bytes([192, 0, 2, 10])
NTP_PORT = 123
JAPAN_QUARTERS = 36  # UTC+9


def ntp_timestamp(us_since_1970):
    """An NTP timestamp (seconds since 1900 and 2^-32 fractions) of a UTC instant."""
    seconds, us = divmod(us_since_1970, 1_000_000)
    return struct.pack(">II", (seconds + 2_208_988_800) % 2**32, (us << 32) // 1_000_000)


def ntp_reply(first_byte=0x24, stratum=2, poll=6, precision=-20, ref_id=b"\0\0\0\0",
              reference=None, receive=None, transmit=None):
    """A server's 48-byte reply; the instants in microseconds since 1970 (None: zero bytes)."""
    stamp = lambda us: bytes(8) if us is None else ntp_timestamp(us)
    return (bytes([first_byte, stratum, poll & 0xFF, precision & 0xFF]) + bytes(8) + ref_id +
            stamp(reference) + bytes(8) + stamp(receive) + stamp(transmit))


def reply_input(t1_us, t4_us, datagram, tolerance=200, sender=SERVER, port=NTP_PORT,
                zone=JAPAN_QUARTERS, setting_error=0, relay_clients=0):
    """An input of the reply target; instants in microseconds since 1970, UTC."""
    return (struct.pack(">Qqi", t1_us + US_1601_TO_1970, t4_us - t1_us, tolerance) + sender +
            struct.pack(">HbHB", port, zone, setting_error, relay_clients) + datagram)


def reply_corpus():
    captured = (CAPTURED / "chronyd_reply.bin").read_bytes()
    t1_ns, t4_ns = map(int, (CAPTURED / "chronyd_reply.times").read_text().split())
    t1, t4 = t1_ns // 1000, t4_ns // 1000
    behind = 3_001_000  # our clock 3.001 s behind the server's
    # The worked example: 2020-01-01 12:00:00 UTC, a stratum-1 GPS server.
    t1_2020 = 1_577_880_000_000_000
    gps = ntp_reply(stratum=1, ref_id=b"GPS\0", reference=t1_2020 - 60_000_000,
                    receive=t1_2020 + 3_050_000, transmit=t1_2020 + 3_052_000)
    plain = dict(reference=t1_2020 - 3_600_000_000, receive=t1_2020 + 50_000,
                 transmit=t1_2020 + 52_000)
    return {
        "chronyd_within_tolerance": reply_input(t1, t4, captured),
        "chronyd_corrects": reply_input(t1 - behind, t4 - behind, captured),
        "chronyd_setting_refused": reply_input(t1 - behind, t4 - behind, captured,
                                               setting_error=1314),
        "chronyd_tolerance_zero_utc": reply_input(t1, t4, captured, tolerance=0, zone=0),
        "chronyd_for_relay_clients": reply_input(t1, t4, captured, relay_clients=1),
        "chronyd_too_slow": reply_input(t1 - 2_500_000, t4, captured),
        "chronyd_from_another_address": reply_input(t1, t4, captured, sender=bytes([192, 0, 2, 99])),
        "chronyd_from_another_port": reply_input(t1, t4, captured, port=1234),
        "chronyd_cut_to_47_bytes": reply_input(t1, t4, captured[:47]),
        "chronyd_with_a_mac": reply_input(t1, t4, captured + struct.pack(">I", 1) + bytes(16)),
        "chronyd_beyond_the_receive_area": reply_input(t1, t4, captured + bytes(2001)),
        "empty_datagram": reply_input(t1, t4, b""),
        "gps_stratum_1": reply_input(t1_2020, t1_2020 + 100_000, gps),
        "unsynchronised_leap_3": reply_input(t1_2020, t1_2020 + 100_000,
                                             ntp_reply(first_byte=0xE4, **plain)),
        "kiss_o_death_rate": reply_input(t1_2020, t1_2020 + 100_000,
                                         ntp_reply(first_byte=0xE4, stratum=0, ref_id=b"RATE")),
        "no_transmit_timestamp": reply_input(t1_2020, t1_2020 + 100_000,
                                             ntp_reply(reference=plain["reference"],
                                                       receive=plain["receive"])),
        "negative_delay_west_zone": reply_input(t1_2020, t1_2020 - 200_000,
                                                ntp_reply(**plain), zone=-20),
    }


def relay_request(address, port, datagram):
    return bytes([0]) + bytes(address) + struct.pack(">HH", port, len(datagram)) + datagram


def relay_burst(count, first_address, port, request):
    return bytes([1]) + struct.pack(">H", count) + bytes(first_address) + struct.pack(">H", port) \
        + request[:48]


def relay_forward(reply):
    return bytes([2]) + reply[:48]


RELAY_CLEAR = bytes([3])


def relay_corpus():
    ntpdig = (CAPTURED / "ntpdig_request.bin").read_bytes()
    chrony = (CAPTURED / "chrony_request.bin").read_bytes()
    reply = (CAPTURED / "chronyd_reply.bin").read_bytes()
    own_known, own_unknown = bytes([0]), bytes([1])
    lan = lambda last: [192, 168, 1, last]
    return {
        "ntpdig_then_forward": own_known + relay_request(lan(31), 50123, ntpdig) +
        relay_forward(reply),
        "chrony_then_forward": own_known + relay_request(lan(32), 123, chrony) +
        relay_forward(reply),
        "two_clients_one_forward": own_known + relay_request(lan(31), 50123, ntpdig) +
        relay_request(lan(32), 123, chrony) + relay_forward(reply),
        "own_request_ignored": own_known + relay_request(lan(20), 50124, ntpdig) +
        relay_request(lan(31), 50123, ntpdig) + relay_forward(reply),
        "own_address_unknown": own_unknown + relay_request(lan(20), 50124, ntpdig) +
        relay_forward(reply),
        "burst_past_the_bound": own_known + relay_burst(300, [10, 0, 0, 1], 40000, chrony) +
        relay_forward(reply),
        "burst_given_up_then_one": own_known + relay_burst(200, [10, 0, 0, 1], 40000, ntpdig) +
        RELAY_CLEAR + relay_request(lan(31), 50123, ntpdig) + relay_forward(reply),
        "unreachable_senders": own_known + relay_request([0, 0, 0, 0], 123, ntpdig) +
        relay_request([255, 255, 255, 255], 123, ntpdig) + relay_request(lan(33), 0, chrony) +
        relay_forward(reply),
        "not_requests": own_known + relay_request(lan(31), 50123, ntpdig[:47]) +
        relay_request(lan(31), 50123, bytes([0x1B]) + ntpdig[1:]) +
        relay_request(lan(31), 50123, reply) + relay_request(lan(31), 50123, b"") +
        relay_request(lan(31), 50123, chrony + bytes(2001)) + relay_forward(reply),
        "forward_with_nobody_waiting": own_known + relay_forward(reply) + RELAY_CLEAR,
    }


def date_input(instant_bits, locale, pattern, stored, formats=()):
    texts = [pattern, stored, *formats]
    return struct.pack(">QB", instant_bits, locale) + b"\0".join(t.encode() for t in texts)


def double_bits(value):
    return struct.unpack(">Q", struct.pack(">d", value))[0]


def date_corpus():
    # 2021-03-04 13:05:06.789 local, as a date-time value (days since 1899-12-30).
    afternoon = double_bits(44_259 + (13 * 3600 + 5 * 60 + 6.789) / 86_400)
    midnight = double_bits(44_259.0)
    default = "yyyy/mm/dd AMPM hh:nn:ss"
    # Indices into fakes::kRegionalFormats; past its end the formats come from the input.
    japanese, kanji, us, uk_two_digit, german, finnish, korean = range(7)
    hungarian, bulgarian, month_names, day_names, quoted_blank, letters, from_input = range(7, 14)
    return {
        "default_pattern_japanese": date_input(afternoon, japanese, default, "2021/03/04 13:05:06"),
        "date_only_at_midnight": date_input(midnight, japanese, "c", "2021/03/04"),
        "kanji_between_numbers": date_input(afternoon, kanji, "ddddd t",
                                            "2021年3月4日 13時05分06秒"),
        "us_marker": date_input(afternoon, us, "c", "3/4/2021 1:05:06 PM"),
        "uk_two_digit_year": date_input(afternoon, uk_two_digit, "dd/mm/yy hh:nn:ss.zzz",
                                        "04/03/21 13:05:06"),
        "german": date_input(afternoon, german, "dddddd", "04.03.2021 13:05:06"),
        "finnish_dots": date_input(afternoon, finnish, "t", "4.3.2021 13.05.06"),
        "korean_marker_first": date_input(afternoon, korean, "ampm h:nn", "2021-03-04 오후 1:05:06"),
        "hungarian_blanks": date_input(afternoon, hungarian, "c", "2021. 03. 04. 13:05:06"),
        "bulgarian_suffixes": date_input(afternoon, bulgarian, "c", "4.3.2021 г. 13:05:06 ч."),
        "month_names": date_input(afternoon, month_names, "mmmm d, yyyy a/p",
                                  "04-Mar-21 1:05:06 pm"),
        "day_and_month_names": date_input(afternoon, day_names, "dddd, mmm d",
                                          "Thursday, March 4, 2021 01:05:06 P"),
        "quoted_blank": date_input(afternoon, quoted_blank, "ddd' 'yyyy/m/d", "木 2021/3/4 13:05:06"),
        "letters_that_mean_nothing": date_input(afternoon, letters, "yyyy x mm x dd",
                                                "2021 x 03 x 04 13:05:06"),
        "era_and_quotes": date_input(afternoon, japanese, "gg e\"年\"m'月'd\"日\" (aaaa) hh:nn:ss",
                                     "2021/3/4"),
        "unclosed_quote": date_input(afternoon, japanese, "yyyy 'open", "2021/13/40 25:61:61"),
        "windows_formats_from_input": date_input(
            afternoon, from_input, "c", "4/3/2021 1:05:06 p.m.",
            ["d/M/yyyy", "h:mm:ss ampm", "/", ":", "a.m.", "p.m."]),
    }


def write(target, inputs):
    folder = CORPUS / target
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    for name, data in inputs.items():
        (folder / name).write_bytes(data)


def main():
    write("reply", reply_corpus())
    write("relay", relay_corpus())
    write("date", date_corpus())


if __name__ == "__main__":
    main()
